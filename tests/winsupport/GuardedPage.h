// A readable page followed by an unreadable one: a block placed at the end
// of the first shows whether a reader stays within the block's size, since
// a read past it faults.
#pragma once

#include <windows.h>

class GuardedPage {
 public:
  GuardedPage() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    pages_ = static_cast<char*>(VirtualAlloc(nullptr, 2 * system.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    if (pages_ != nullptr && VirtualProtect(pages_ + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS, &old))
      end_ = pages_ + system.dwPageSize;
  }
  ~GuardedPage() {
    if (pages_ != nullptr) VirtualFree(pages_, 0, MEM_RELEASE);
  }
  GuardedPage(const GuardedPage&) = delete;
  GuardedPage& operator=(const GuardedPage&) = delete;

  // The end of the readable page; null when the pages could not be had.
  char* End() const { return end_; }

 private:
  char* pages_ = nullptr;
  char* end_ = nullptr;
};
