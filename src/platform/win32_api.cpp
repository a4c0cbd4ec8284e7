#include "platform/win32_api.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>

struct Win32Find {
  HANDLE handle;
};

static void Describe(const WIN32_FIND_DATAA& data, std::string* name, int* isDir) {
  *name = data.cFileName;
  *isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? -1 : 0;
}

Win32Find* Win32FindFirst(const char* pattern, std::string* name, int* isDir) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  Describe(data, name, isDir);
  return new Win32Find{h};
}

int Win32FindNext(Win32Find* find, std::string* name, int* isDir) {
  WIN32_FIND_DATAA data;
  if (find == nullptr || !FindNextFileA(find->handle, &data)) return 0;
  Describe(data, name, isDir);
  return -1;
}

void Win32FindClose(Win32Find* find) {
  if (find == nullptr) return;
  FindClose(find->handle);
  delete find;
}

std::string Win32FontsFolder() {
  // %WINDIR% first, so that a test can point it at a folder of its own.
  const char* env = getenv("WINDIR");
  if (env != nullptr && env[0] != 0) return std::string(env) + "\\Fonts";
  char dir[MAX_PATH];
  UINT n = GetWindowsDirectoryA(dir, sizeof dir);
  if (n == 0 || n >= sizeof dir) return "C:\\Windows\\Fonts";
  return std::string(dir, n) + "\\Fonts";
}

std::string Win32RegisteredFontFile(const char* face) {
  if (face == nullptr || face[0] == 0) return "";
  std::string value = std::string(face) + " (TrueType)";
  char file[MAX_PATH];
  DWORD size = sizeof file;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", value.c_str(),
                   RRF_RT_REG_SZ, nullptr, file, &size) != ERROR_SUCCESS) {
    return "";
  }
  std::string name(file);
  // Fonts installed with Windows are registered by file name alone.
  bool full = name.find('\\') != std::string::npos || name.find('/') != std::string::npos;
  return full ? name : Win32FontsFolder() + "\\" + name;
}

int Win32FileStamp(const char* path, int64_t* modified, int64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
  uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  *modified = static_cast<int64_t>(ticks) * 100;
  *size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  return -1;
}
