#include "io/file.h"

#include <cstdlib>

struct FileStream {
  FILE* fp;
  int pastEnd;  // -1 once a read ran past the end of the data
};

int ByteOrder = 0;

FileHandle FileOpen(const char* path, const char* mode, int byteOrder) {
  ByteOrder = byteOrder;
  FILE* fp = fopen(path, mode);
  if (fp == nullptr) return nullptr;
  FileStream* fs = static_cast<FileStream*>(calloc(1, sizeof(FileStream)));
  if (fs == nullptr) {
    fclose(fp);
    return nullptr;
  }
  fs->fp = fp;
  return fs;
}

void FileClose(FileHandle handle) {
  if (handle == nullptr || handle == MemoryFile) return;
  fclose(handle->fp);
  free(handle);
}

void FileWriteText(FileHandle handle, const char* text) {
  if (handle == nullptr || handle == MemoryFile) return;
  fprintf(handle->fp, "%s", text);
}
