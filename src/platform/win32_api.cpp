#include "platform/win32_api.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <direct.h>

#include <cerrno>
#include <cstring>

namespace zorta {

namespace {

// UTF-8 to the system's UTF-16. A name that is not UTF-8 is read in the ANSI
// code page, as the A calls read it, so older data naming its files that way
// still finds them.
std::wstring Wide(const char* text) {
  for (UINT page : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int n = MultiByteToWideChar(page, flags, text, -1, nullptr, 0);
    if (n <= 0) continue;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (MultiByteToWideChar(page, flags, text, -1, &wide[0], n) != n) continue;
    wide.pop_back();
    return wide;
  }
  return L"";
}

// False for a name no UTF-8 can spell (a lone half of a surrogate pair):
// it could not be opened again by the name handed out.
bool Narrow(const wchar_t* text, std::string* out) {
  int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  out->assign(static_cast<size_t>(n), '\0');
  if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, &(*out)[0], n, nullptr, nullptr) != n) return false;
  out->pop_back();
  return true;
}

}  // namespace

struct Win32Find {
  HANDLE handle;
};

// Entries whose names cannot be written in UTF-8 are passed over.
static int Describe(HANDLE h, WIN32_FIND_DATAW* data, std::string* name, int* isDir) {
  while (!Narrow(data->cFileName, name)) {
    if (!FindNextFileW(h, data)) return 0;
  }
  *isDir = (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? -1 : 0;
  return -1;
}

Win32Find* Win32FindFirst(const char* pattern, std::string* name, int* isDir) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(pattern).c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (!Describe(h, &data, name, isDir)) {
    FindClose(h);
    return nullptr;
  }
  return new Win32Find{h};
}

int Win32FindNext(Win32Find* find, std::string* name, int* isDir) {
  WIN32_FIND_DATAW data;
  if (find == nullptr || !FindNextFileW(find->handle, &data)) return 0;
  return Describe(find->handle, &data, name, isDir);
}

void Win32FindClose(Win32Find* find) {
  if (find == nullptr) return;
  FindClose(find->handle);
  delete find;
}

std::string Win32FontsFolder() {
  // %WINDIR% first, so that a test can point it at a folder of its own.
  std::string folder;
  wchar_t dir[MAX_PATH];
  DWORD set = GetEnvironmentVariableW(L"WINDIR", dir, MAX_PATH);
  if (set > 0 && set < MAX_PATH && Narrow(dir, &folder)) return folder + "\\Fonts";
  UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH || !Narrow(dir, &folder)) return "C:\\Windows\\Fonts";
  return folder + "\\Fonts";
}

std::string Win32RegisteredFontFile(const char* face) {
  if (face == nullptr || face[0] == 0) return "";
  std::wstring value = Wide(face) + L" (TrueType)";
  wchar_t file[MAX_PATH];
  DWORD size = sizeof file;
  std::string name;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", value.c_str(),
                   RRF_RT_REG_SZ, nullptr, file, &size) != ERROR_SUCCESS ||
      !Narrow(file, &name)) {
    return "";
  }
  // Fonts installed with Windows are registered by file name alone.
  bool full = name.find('\\') != std::string::npos || name.find('/') != std::string::npos;
  return full ? name : Win32FontsFolder() + "\\" + name;
}

int Win32FileStamp(const char* path, int64_t* modified, int64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
  uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  *modified = static_cast<int64_t>(ticks) * 100;
  *size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  return -1;
}

int Win32FileKind(const char* path, int* plain) {
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  *plain = (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0 ? -1 : 0;
  return -1;
}

FILE* Win32OpenFile(const char* path, const char* mode) { return _wfopen(Wide(path).c_str(), Wide(mode).c_str()); }

int Win32EnterFolder(const char* path, std::string* error) {
  if (_wchdir(Wide(path).c_str()) == 0) return -1;
  *error = strerror(errno);
  return 0;
}

}  // namespace zorta
