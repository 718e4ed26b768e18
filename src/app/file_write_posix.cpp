#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "app/file_write.h"

namespace sl {

namespace {

WriteFault injectedFault = WriteFault::kNone;

bool Injected(WriteFault step) {
  if (injectedFault != step) return false;
  errno = ENOSPC;
  return true;
}

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Closes now and tells whether the close succeeded.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool HasNoWriteBit(const struct stat& st) { return (st.st_mode & 0222) == 0; }

// Another program holds a lock on the file: an flock, or a POSIX record lock
// (fcntl, lockf) of another process anywhere in it.
bool LockedByOther(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return true;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = 0;
  if (fcntl(fd, F_GETLK, &probe) != 0) return false;
  return probe.l_type != F_UNLCK;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    if (Injected(WriteFault::kWrite)) return false;
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string TemporaryName(const std::string& directory, const std::string& name) {
  static std::minstd_rand generator{std::random_device{}()};
  return directory + "/." + name + "." + std::to_string(getpid()) + "-" +
         std::to_string(generator() % 1000000) + ".tmp";
}

// Removes the temporary file unless it has been renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  const std::string& Path() const { return path_; }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace

void InjectWriteFault(WriteFault fault) { injectedFault = fault; }

bool WriteWholeFile(const Text& path, const ByteBuffer& data) {
  if (path.IsEmpty()) return false;
  std::string target(path.View());

  // A symbolic link stays a link: its target gets the new content.
  struct stat st {};
  bool exists = false;
  if (lstat(target.c_str(), &st) == 0) {
    exists = true;
    if (S_ISLNK(st.st_mode)) {
      std::unique_ptr<char, decltype(&std::free)> resolved(realpath(target.c_str(), nullptr),
                                                           &std::free);
      if (!resolved || stat(resolved.get(), &st) != 0) return false;
      target = resolved.get();
    }
    if (!S_ISREG(st.st_mode)) return false;
    if (HasNoWriteBit(st) || access(target.c_str(), W_OK) != 0) return false;
  } else if (errno != ENOENT) {
    return false;
  }

  size_t slash = target.rfind('/');
  std::string directory = slash == std::string::npos ? "." : target.substr(0, slash);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (directory.empty()) directory = "/";
  if (name.empty()) return false;
  struct stat dirSt {};
  if (stat(directory.c_str(), &dirSt) != 0 || !S_ISDIR(dirSt.st_mode)) return false;
  if (HasNoWriteBit(dirSt) || access(directory.c_str(), W_OK | X_OK) != 0) return false;

  // Held from the check until the new content is in place, so that a program
  // that locks the file never sees it half written.
  UniqueFd existing;
  if (exists) {
    existing = UniqueFd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!existing.Valid() || LockedByOther(existing.Get())) return false;
  }

  // The umask shapes a new file's permissions as it would for url.txt itself.
  std::unique_ptr<TemporaryFile> temporary;
  UniqueFd out;
  for (int attempt = 0; attempt < 16 && !out.Valid(); ++attempt) {
    std::string candidate = TemporaryName(directory, name);
    out = UniqueFd(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.Valid()) {
      temporary = std::make_unique<TemporaryFile>(std::move(candidate));
    } else if (errno != EEXIST) {
      return false;
    }
  }
  if (!out.Valid()) return false;
  if (exists) {
    fchmod(out.Get(), st.st_mode & 07777);
    if (geteuid() == 0) {
      [[maybe_unused]] int ignored = fchown(out.Get(), st.st_uid, st.st_gid);
    }
  }

  if (!WriteAll(out.Get(), data.Data(), static_cast<size_t>(data.Length()))) return false;
  if (Injected(WriteFault::kSync) || fsync(out.Get()) != 0) return false;
  if (Injected(WriteFault::kClose)) return false;
  if (!out.Close()) return false;
  if (Injected(WriteFault::kRename) || rename(temporary->Path().c_str(), target.c_str()) != 0) {
    return false;
  }
  temporary->Keep();
  return true;
}

}  // namespace sl
