#include "engine/launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace qb {

namespace {

Status StartFailure(const std::string& program, int err) {
  std::string message = CannotStartMessage(program, std::strerror(err));
  if (err == ENOENT || err == ENOTDIR) return Status::NotFound(std::move(message));
  return Status::IoError(std::move(message));
}

// The file that running |name| would execute, found as execvp finds it: a
// name with "/" as it stands, any other in the directories of $PATH (an
// empty entry meaning the working directory). The search is done here,
// before fork, because the child of a threaded process may call only
// async-signal-safe functions, which execvp is not. Returns 0 or an errno
// value: EACCES when something by that name was found but none could be
// run, else ENOENT.
int FindProgram(const std::string& name, std::string* path) {
  if (name.empty()) return ENOENT;
  if (name.find('/') != std::string::npos) {
    *path = name;
    return 0;
  }
  const char* env = std::getenv("PATH");
  const std::string dirs = env != nullptr ? env : "/bin:/usr/bin";
  int err = ENOENT;
  size_t begin = 0;
  while (begin <= dirs.size()) {
    size_t end = dirs.find(':', begin);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(begin, end - begin);
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    struct stat st;
    if (::stat(candidate.c_str(), &st) == 0) {
      if (S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
        *path = candidate;
        return 0;
      }
      err = EACCES;
    } else if (errno == EACCES) {
      err = EACCES;
    }
    begin = end + 1;
  }
  return err;
}

// In the new process, before exec: only async-signal-safe calls.
void ResetProcessState(int keep_fd) {
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) {
    if (sig != SIGKILL && sig != SIGSTOP) ::sigaction(sig, &dfl, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  // Files this process holds open (the settings store, sockets of the
  // window system) are none of the new program's business.
  if (keep_fd > 3) ::close_range(3, keep_fd - 1, CLOSE_RANGE_CLOEXEC);
  ::close_range(keep_fd + 1, UINT_MAX, CLOSE_RANGE_CLOEXEC);
}

void ReportAndExit(int fd, int err) {
  ssize_t ignored = ::write(fd, &err, sizeof err);
  (void)ignored;
  ::_exit(127);
}

}  // namespace

Status ProcessLauncher::Start(const std::vector<std::string>& argv) {
  if (argv.empty()) return Status::InvalidArgument(CannotStartMessage("", "no program named"));
  std::string path;
  if (int err = FindProgram(argv[0], &path); err != 0) return StartFailure(argv[0], err);

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // The pipe closes on exec: end of file tells that the program runs, an
  // errno value written into it tells why it could not.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return StartFailure(argv[0], errno);

  // Two forks: the middle process starts a new session, forks the program's
  // process and ends at once, so the program is reparented and never
  // becomes a zombie of ours.
  const pid_t middle = ::fork();
  if (middle == 0) {
    ::close(fds[0]);
    ::setsid();
    const pid_t program = ::fork();
    if (program < 0) ReportAndExit(fds[1], errno);
    if (program > 0) ::_exit(0);
    ResetProcessState(fds[1]);
    ::execve(path.c_str(), args.data(), environ);
    ReportAndExit(fds[1], errno);
  }
  const int fork_errno = errno;
  ::close(fds[1]);
  if (middle < 0) {
    ::close(fds[0]);
    return StartFailure(argv[0], fork_errno);
  }

  int child_errno = 0;
  ssize_t got;
  do {
    got = ::read(fds[0], &child_errno, sizeof child_errno);
  } while (got < 0 && errno == EINTR);
  ::close(fds[0]);
  while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (got == static_cast<ssize_t>(sizeof child_errno)) return StartFailure(argv[0], child_errno);
  return Status::Ok();
}

Launcher* DefaultLauncher() {
  static ProcessLauncher* launcher = new ProcessLauncher();
  return launcher;
}

std::string CannotStartMessage(std::string_view program, std::string_view reason) {
  std::string text = "\"";
  text.append(program);
  text.append("\" を起動できません");
  if (!reason.empty()) {
    text.append(": ");
    text.append(reason);
  }
  return text;
}

}  // namespace qb
