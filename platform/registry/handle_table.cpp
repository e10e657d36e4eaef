#include "platform/registry/handle_table.h"

#include <pthread.h>

#include <mutex>
#include <unordered_map>

namespace qb::registry {
namespace {

constexpr HKEY kFirstHandle = 1;
constexpr HKEY kLastHandle = 0x7FFFFFFF;

struct Table;
Table& TheTable();

struct Table {
  std::mutex mutex;
  std::unordered_map<HKEY, KeyRef> open;
  HKEY next = kFirstHandle;
};

Table* NewTable() {
  Table* table = new Table;
  // A fork while another thread holds the lock would leave the child's copy
  // locked for ever; holding it across the fork keeps the copy consistent.
  pthread_atfork([] { TheTable().mutex.lock(); }, [] { TheTable().mutex.unlock(); },
                 [] { TheTable().mutex.unlock(); });
  return table;
}

Table& TheTable() {
  static Table* table = NewTable();  // never destroyed: handles may be used during exit
  return *table;
}

}  // namespace

HKEY AddHandle(const KeyRef& ref) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  if (table.open.size() >= kLastHandle) return 0;
  while (table.open.count(table.next) != 0) {
    table.next = table.next == kLastHandle ? kFirstHandle : table.next + 1;
  }
  HKEY handle = table.next;
  table.open.emplace(handle, ref);
  table.next = handle == kLastHandle ? kFirstHandle : handle + 1;
  return handle;
}

bool LookUpHandle(HKEY handle, KeyRef* ref) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  auto it = table.open.find(handle);
  if (it == table.open.end()) return false;
  *ref = it->second;
  return true;
}

bool RemoveHandle(HKEY handle) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  return table.open.erase(handle) != 0;
}

void ClearHandles() {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  table.open.clear();
  table.next = kFirstHandle;
}

}  // namespace qb::registry
