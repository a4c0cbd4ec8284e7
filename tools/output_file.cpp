#include "output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace zorta {

namespace {
// The folder part of a path, with its slash ("a/b.wav" -> "a/"), and the rest.
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
  size_t slash = path.rfind('/');
  *folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// A new file beside `target`, named after it and hidden, with the mode a new
// file gets (0666 less the umask); the target's own mode when it exists.
int CreateTemp(const std::string& target, const struct stat* existing, std::string* temp) {
  std::string folder, name;
  SplitPath(target, &folder, &name);
  for (int attempt = 0; attempt < 100; attempt++) {
    *temp = folder + "." + name + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
    int fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd >= 0 && existing != nullptr) {
      // Best effort: the replaced file keeps its owner where we may give it.
      if (fchown(fd, existing->st_uid, existing->st_gid) != 0) errno = 0;
      fchmod(fd, existing->st_mode & 07777);
    }
    return fd;
  }
  errno = EEXIST;
  return -1;
}

void Fail(OutputFile* out, int code) {
  if (out->error == 0) out->error = code;
}
}  // namespace

std::string WriteErrorText(const std::string& path, int code) {
  if (code == ENOSPC) return "cannot write '" + path + "': the disk is full";
  return "cannot write '" + path + "': " + strerror(code);
}

bool OpenOutput(const std::string& path, OutputFile* out, std::string* error) {
  *out = OutputFile();
  out->path = path;
  out->target = path;
  struct stat st;
  bool exists = stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    *error = "cannot write '" + path + "': it is a folder";
    return false;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    out->fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (out->fd < 0) {
      *error = WriteErrorText(path, errno);
      return false;
    }
    return true;
  }
  // A file the user may not write stays unwritable, although its folder
  // would let the rename replace it.
  if (exists && access(path.c_str(), W_OK) != 0) {
    *error = WriteErrorText(path, errno);
    return false;
  }
  // Through a symbolic link the file it points to is replaced, not the link.
  char resolved[PATH_MAX];
  if (exists && realpath(path.c_str(), resolved) != nullptr) out->target = resolved;
  out->fd = CreateTemp(out->target, exists ? &st : nullptr, &out->temp);
  if (out->fd < 0) {
    *error = WriteErrorText(path, errno);
    out->temp.clear();
    return false;
  }
  return true;
}

void WriteOutput(OutputFile* out, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0 && out->error == 0) {
    ssize_t n = write(out->fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail(out, n < 0 ? errno : ENOSPC);
      break;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
}

bool FinishOutput(OutputFile* out, std::string* error) {
  if (out->fd < 0) {
    *error = WriteErrorText(out->path, EBADF);
    return false;
  }
  // Some file systems report a full disk only when the data reaches it.
  if (!out->temp.empty() && out->error == 0 && fsync(out->fd) != 0) Fail(out, errno);
  if (close(out->fd) != 0 && errno != EINTR) Fail(out, errno);
  out->fd = -1;
  if (!out->temp.empty() && out->error == 0 && rename(out->temp.c_str(), out->target.c_str()) != 0) Fail(out, errno);
  if (out->error == 0) {
    out->temp.clear();
    return true;
  }
  *error = WriteErrorText(out->path, out->error);
  AbandonOutput(out);
  return false;
}

void AbandonOutput(OutputFile* out) {
  if (out->fd >= 0) close(out->fd);
  out->fd = -1;
  if (!out->temp.empty()) unlink(out->temp.c_str());
  out->temp.clear();
}

bool WriteOutputFile(const std::string& path, const void* data, size_t size, std::string* error) {
  OutputFile out;
  if (!OpenOutput(path, &out, error)) return false;
  WriteOutput(&out, data, size);
  return FinishOutput(&out, error);
}

static void PngWrite(png_structp png, png_bytep data, png_size_t size) {
  WriteOutput(static_cast<OutputFile*>(png_get_io_ptr(png)), data, size);
}

static void PngFlush(png_structp) {}

void PngWritesTo(png_structp png, OutputFile* out) { png_set_write_fn(png, out, PngWrite, PngFlush); }

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool OutputIsNotInput(const std::string& output, const std::vector<std::string>& inputs, std::string* error) {
  for (const std::string& input : inputs)
    if (SameFile(output, input)) {
      *error = "will not write over the input '" + input + "' (give another output)";
      return false;
    }
  return true;
}

bool OutputsAreDistinct(const std::vector<std::string>& sources, const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs, std::string* error) {
  for (size_t i = 0; i < outputs.size(); i++) {
    for (size_t j = 0; j < i; j++)
      if (outputs[i] == outputs[j] || SameFile(outputs[i], outputs[j])) {
        *error = "'" + sources[j] + "' and '" + sources[i] + "' would both be written to '" + outputs[i] +
                 "' (rename one of them)";
        return false;
      }
    if (!OutputIsNotInput(outputs[i], inputs, error)) return false;
  }
  return true;
}

}  // namespace zorta
