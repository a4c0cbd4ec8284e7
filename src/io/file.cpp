#include "io/file.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "platform/path.h"

namespace zorta {

struct FileStream {
  FILE* fp;             // null for a memory handle
  const uint8_t* base;  // memory handle: the block
  int64_t size;         // bytes in the file or block, -1 when unknown
  int64_t offset;       // memory handle: bytes taken so far
  int byteOrder;        // 1: multi-byte values are big-endian
  int pastEnd;          // -1 once a read or skip ran past the end of the data
};

FileHandle FileOpen(const char* path, const char* mode, int byteOrder) {
  if (path == nullptr || mode == nullptr) return nullptr;
  // Maps and object types name their images as on Windows.
  FILE* fp = HostOpenFile(path, mode);
  if (fp == nullptr) return nullptr;
  FileStream* fs = static_cast<FileStream*>(calloc(1, sizeof(FileStream)));
  if (fs == nullptr) {
    fclose(fp);
    return nullptr;
  }
  fs->fp = fp;
  fs->size = -1;
  fs->byteOrder = byteOrder;
  struct stat st;
  if (fstat(fileno(fp), &st) == 0 && S_ISREG(st.st_mode)) fs->size = st.st_size;
  return fs;
}

FileHandle FileOpenMemory(const void* base, size_t size, int byteOrder) {
  FileStream* fs = static_cast<FileStream*>(calloc(1, sizeof(FileStream)));
  if (fs == nullptr) return nullptr;
  fs->base = static_cast<const uint8_t*>(base);
  fs->size = base != nullptr && size <= static_cast<size_t>(INT64_MAX) ? static_cast<int64_t>(size) : 0;
  fs->byteOrder = byteOrder;
  return fs;
}

void FileClose(FileHandle handle) {
  if (handle == nullptr) return;
  if (handle->fp != nullptr) fclose(handle->fp);
  free(handle);
}

int FileReplaceWhole(const char* path, const void* data, size_t size) {
  if (path == nullptr || (data == nullptr && size > 0)) return 0;
  std::string host = HostPath(path);
  std::string temp = host + ".tmp";
  FILE* fp = fopen(temp.c_str(), "wb");
  if (fp == nullptr) return 0;
  bool ok = fwrite(data, 1, size, fp) == size;
  ok = fflush(fp) == 0 && ok;
  ok = fclose(fp) == 0 && ok;
#ifdef _WIN32
  // rename does not replace an existing file there.
  if (ok) remove(host.c_str());
#endif
  if (ok && rename(temp.c_str(), host.c_str()) == 0) return -1;
  remove(temp.c_str());
  return 0;
}

void FileWriteText(FileHandle handle, const char* text) {
  if (handle == nullptr || handle->fp == nullptr) return;
  fprintf(handle->fp, "%s", text);
}

// Takes count bytes in file order; what the data does not hold reads as 0
// and marks the handle. Once past the end everything reads as zero.
static void TakeBytes(FileHandle handle, uint8_t* out, int32_t count) {
  if (count <= 0) return;
  if (handle == nullptr || handle->pastEnd) {
    memset(out, 0, static_cast<size_t>(count));
    return;
  }
  size_t got;
  if (handle->fp == nullptr) {
    int64_t left = handle->size - handle->offset;
    got = count < left ? static_cast<size_t>(count) : static_cast<size_t>(left);
    if (got > 0) memcpy(out, handle->base + handle->offset, got);
    handle->offset += static_cast<int64_t>(got);
  } else {
    got = fread(out, 1, static_cast<size_t>(count), handle->fp);
  }
  if (got < static_cast<size_t>(count)) {
    memset(out + got, 0, static_cast<size_t>(count) - got);
    handle->pastEnd = -1;
  }
}

uint8_t ReadU8(FileHandle handle) {
  uint8_t b = 0;
  TakeBytes(handle, &b, 1);
  return b;
}

// Multi-byte values: big-endian from a handle opened with byte order 1.
static uint32_t TakeWord(FileHandle handle, int bytes, int allowSwap) {
  uint8_t b[4] = {0, 0, 0, 0};
  TakeBytes(handle, b, bytes);
  int big = allowSwap && handle != nullptr && handle->byteOrder == 1;
  uint32_t v = 0;
  for (int i = 0; i < bytes; i++) {
    int k = big ? i : bytes - 1 - i;
    v = (v << 8) | b[k];
  }
  return v;
}

uint16_t ReadU16(FileHandle handle) { return static_cast<uint16_t>(TakeWord(handle, 2, 1)); }
uint32_t ReadI32(FileHandle handle) { return TakeWord(handle, 4, 1); }
uint32_t ReadRaw32(FileHandle handle) { return TakeWord(handle, 4, 0); }

float ReadF32(FileHandle handle) {
  uint32_t v = TakeWord(handle, 4, 1);
  float f;
  memcpy(&f, &v, sizeof f);
  return f;
}

void ReadBlock(FileHandle handle, void* destination, int32_t count) {
  if (destination == nullptr || count <= 0) return;
  TakeBytes(handle, static_cast<uint8_t*>(destination), count);
}

// Reads up to and including the NUL, keeping at most size - 1 characters.
// The end of the data also ends the string.
static void TakeString(FileHandle handle, char* out, size_t size) {
  size_t n = 0;
  for (;;) {
    uint8_t c = ReadU8(handle);
    if (c == 0 || FilePastEnd(handle)) break;
    if (n + 1 < size) out[n++] = static_cast<char>(c);
  }
  if (size > 0) out[n] = 0;
}

char* ReadStringCopy(FileHandle handle) {
  char buffer[256];
  TakeString(handle, buffer, sizeof buffer);
  return StrDup(buffer);
}

void ReadStringInto(FileHandle handle, char* destination, size_t size) {
  if (destination == nullptr || size == 0) {
    char scratch[1];
    TakeString(handle, scratch, sizeof scratch);
    return;
  }
  TakeString(handle, destination, size);
}

void SkipN(FileHandle handle, int32_t count) {
  if (handle == nullptr || count == 0) return;
  if (count < 0) {
    handle->pastEnd = -1;
    return;
  }
  if (handle->pastEnd) return;
  if (handle->fp == nullptr) {
    if (count > handle->size - handle->offset) {
      handle->offset = handle->size;
      handle->pastEnd = -1;
    } else {
      handle->offset += count;
    }
    return;
  }
  if (handle->size >= 0) {
    long pos = ftell(handle->fp);
    if (pos < 0 || static_cast<int64_t>(pos) + count > handle->size) {
      fseek(handle->fp, 0, SEEK_END);
      handle->pastEnd = -1;
      return;
    }
  }
  if (fseek(handle->fp, count, SEEK_CUR) != 0) handle->pastEnd = -1;
}

void Skip1(FileHandle handle) { SkipN(handle, 1); }
void Skip2(FileHandle handle) { SkipN(handle, 2); }
void Skip4(FileHandle handle) { SkipN(handle, 4); }

int FilePastEnd(FileHandle handle) {
  if (handle == nullptr) return -1;
  return handle->pastEnd ? -1 : 0;
}

int64_t FileBytesLeft(FileHandle handle) {
  if (handle == nullptr || handle->pastEnd) return 0;
  int64_t left;
  if (handle->fp == nullptr) {
    left = handle->size - handle->offset;
  } else {
    if (handle->size < 0) return 0;
    long pos = ftell(handle->fp);
    if (pos < 0) return 0;
    left = handle->size - pos;
  }
  return left > 0 ? left : 0;
}

void* MemAlloc(size_t size) { return malloc(size); }
void* MemAllocZero(size_t size) { return calloc(size, 1); }
void* MemRealloc(void* block, size_t size) { return realloc(block, size); }
void MemFree(void* block) { free(block); }

char* StrDup(const char* text) {
  if (text == nullptr) return nullptr;
  size_t n = strlen(text) + 1;
  char* copy = static_cast<char*>(MemAlloc(n));
  if (copy != nullptr) memcpy(copy, text, n);
  return copy;
}

int NamesEqual(const char* a, const char* b) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
  for (;;) {
    unsigned c = *p, d = *q;
    if (c == 0 && d == 0) return -1;
    if (c == d || (c >= 'A' && c <= 'Z' && c + 32 == d) || (c >= 'a' && c <= 'z' && c - 32 == d)) {
      p++;
      q++;
      continue;
    }
    return 0;
  }
}

}  // namespace zorta
