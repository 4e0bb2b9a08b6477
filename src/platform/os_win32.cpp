#include <malloc.h>
#include <windows.h>

#include <string>

#include "platform/os.h"

namespace varrowmere {

namespace {

// Milliseconds to wait before asking a non-blocking pipe again.
constexpr DWORD PIPE_RETRY_MS = 1;

// Largest piece handed to one ReadFile or WriteFile.
constexpr std::size_t MAX_TRANSFER = 1u << 30;

std::wstring toUtf16(const char* text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
  wide.pop_back();  // the terminator counted by the first call
  return wide;
}

}  // namespace

std::size_t readStandardInput(char* buffer, std::size_t size) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return 0;
  const DWORD wanted = static_cast<DWORD>(size < MAX_TRANSFER ? size : MAX_TRANSFER);
  for (;;) {
    DWORD count = 0;
    if (ReadFile(input, buffer, wanted, &count, nullptr)) return count;
    // A pipe in PIPE_NOWAIT mode answers ERROR_NO_DATA while it is empty; a broken pipe (the
    // writer has closed it) or any other error is the end.
    if (GetLastError() != ERROR_NO_DATA) return 0;
    Sleep(PIPE_RETRY_MS);
  }
}

void writeStandardOutput(const char* data, std::size_t size) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
  while (size > 0) {
    DWORD written = 0;
    const DWORD piece = static_cast<DWORD>(size < MAX_TRANSFER ? size : MAX_TRANSFER);
    if (!WriteFile(output, data, piece, &written, nullptr)) return;
    // A pipe in PIPE_NOWAIT mode takes nothing while it is full.
    if (written == 0) Sleep(PIPE_RETRY_MS);
    data += written;
    size -= written;
  }
}

void showSystemMessage(const char* text, const char* caption) {
  MessageBoxW(nullptr, toUtf16(text).c_str(), toUtf16(caption).c_str(), MB_OK);
}

// Windows gives huge pages only to a process holding a privilege a player does not have.
void* allocateTableMemory(std::size_t bytes, std::size_t alignment) {
  return _aligned_malloc(bytes, alignment);
}

void freeTableMemory(void* block) { _aligned_free(block); }

void tuneAllocator() {}

void ignoreBrokenPipe() {}

}  // namespace varrowmere
