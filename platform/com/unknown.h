// IUnknown and IClassFactory: the root interface of every object and the
// interface of class objects.
//
// Interfaces are C++ abstract classes whose virtual functions are declared in
// the original's method order, so that the method table (the vtable) of an
// object has the original's slot order: IUnknown takes slots 0-2, an interface
// derived from it continues at slot 3, and so on. They have no virtual
// destructor (it would take vtable slots); the destructor is protected so that
// nobody deletes an object through an interface pointer: objects go away by
// Release.
//
// Reference counting: every interface pointer handed out (by QueryInterface,
// CreateInstance, an [out] parameter) carries one reference that its receiver
// gives back with Release. QueryInterface sets *object to null and returns
// E_NOINTERFACE for an interface the object lacks, E_POINTER when |object| is
// null.
#pragma once

#include "platform/com/base.h"
#include "platform/com/guid.h"

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  // Both return the new count, for diagnostics only.
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

class IClassFactory : public IUnknown {
 public:
  // Creates an object of the class and returns its interface |riid|.
  // |outer| must be null: aggregation is not supported
  // (CLASS_E_NOAGGREGATION).
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  // TRUE keeps the server library loaded until a matching FALSE.
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};
