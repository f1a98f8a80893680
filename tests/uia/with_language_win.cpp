// with_language NAME PROGRAM [ARGS...]
//
// Runs PROGRAM as it would run on a Windows whose system language is called
// NAME, waits for it and exits with its exit code. The setup and the
// uninstaller choose German when that name begins with "Deutsch"; Wine
// names every language in English, so without this the German texts could
// only be tested in a build with a door for the tests. This way the shipped
// file runs unchanged: only its answer from GetLocaleInfoA(LOCALE_SLANGUAGE)
// is replaced, in its own import table, once Windows' loader has filled it.
//
// How: the program starts suspended, its entry point is made a jump to
// itself, and once its main thread stands there (every DLL is loaded and
// every import resolved) the import is pointed at a few bytes of code in
// the program that answer NAME and pass every other question on. Then the
// entry point gets its bytes back and the program runs. A job object ends
// the program when this one ends, so a test that stops the runner stops
// the program too. 32-bit programs only: the code is i386 machine code.
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/WinHandle.h"

namespace {

using pelmora::win::UniqueHandle;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

// One argument quoted so that the program's own parsing gives it back.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + '"';
}

class Remote {
 public:
  explicit Remote(HANDLE process) : process_(process) {}
  template <typename T>
  T Read(std::uintptr_t address) const {
    T value{};
    if (!ReadProcessMemory(process_, reinterpret_cast<const void*>(address), &value, sizeof value,
                           nullptr))
      Fail("cannot read the program's memory");
    return value;
  }
  std::string ReadName(std::uintptr_t address) const {
    std::string name;
    for (char c; (c = Read<char>(address + name.size())) != 0 && name.size() < 256;) name += c;
    return name;
  }
  void Write(std::uintptr_t address, const void* data, size_t size) const {
    DWORD old = 0;
    void* at = reinterpret_cast<void*>(address);
    if (!VirtualProtectEx(process_, at, size, PAGE_EXECUTE_READWRITE, &old) ||
        !WriteProcessMemory(process_, at, data, size, nullptr))
      Fail("cannot write the program's memory");
    VirtualProtectEx(process_, at, size, old, &old);
    FlushInstructionCache(process_, at, size);
  }

 private:
  HANDLE process_;
};

std::uintptr_t ImageBase(HANDLE process) {
  using QueryFunction = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<QueryFunction>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
    Fail("cannot find the program's process block");
  // PEB::ImageBaseAddress of a 32-bit process.
  return Remote(process).Read<std::uint32_t>(
      reinterpret_cast<std::uintptr_t>(basic.PebBaseAddress) + 8);
}

// Until the main thread stands at `address`.
void WaitUntilAt(HANDLE thread, std::uintptr_t address) {
  for (int round = 0; round < 20000; ++round) {
    if (SuspendThread(thread) == static_cast<DWORD>(-1)) Fail("cannot suspend the program");
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    const bool there = GetThreadContext(thread, &context) && context.Eip == address;
    if (there) return;  // left suspended
    ResumeThread(thread);
    Sleep(1);
  }
  throw std::runtime_error("the program did not reach its entry point");
}

// The slots of the main module's import table that hold `function`.
std::vector<std::uintptr_t> ImportSlots(const Remote& remote, std::uintptr_t base,
                                        const char* function) {
  const auto dos = remote.Read<IMAGE_DOS_HEADER>(base);
  const auto nt = remote.Read<IMAGE_NT_HEADERS32>(base + dos.e_lfanew);
  const IMAGE_DATA_DIRECTORY imports =
      nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::vector<std::uintptr_t> slots;
  for (std::uintptr_t at = base + imports.VirtualAddress;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto descriptor = remote.Read<IMAGE_IMPORT_DESCRIPTOR>(at);
    if (descriptor.Name == 0) break;
    const std::uintptr_t names =
        base +
        (descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk);
    for (std::uintptr_t i = 0;; ++i) {
      const auto entry = remote.Read<std::uint32_t>(names + i * 4);
      if (entry == 0) break;
      if (entry & IMAGE_ORDINAL_FLAG32) continue;
      if (remote.ReadName(base + entry + 2) == function)  // past the hint
        slots.push_back(base + descriptor.FirstThunk + i * 4);
    }
  }
  return slots;
}

// i386 code standing in for GetLocaleInfoA(locale, type, data, size), stdcall:
// LOCALE_SLANGUAGE is answered with the name at kNameOffset, anything else
// goes on to the function whose address is at kOriginalOffset.
constexpr size_t kOriginalOffset = 0x40;
constexpr size_t kNameOffset = 0x44;
std::vector<std::uint8_t> LanguageAnswer(std::uint32_t block, std::uint32_t original,
                                         const std::string& name) {
  const auto bytes = [](std::uint32_t value) {
    return std::vector<std::uint8_t>{
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  };
  std::vector<std::uint8_t> code = {0x83, 0x7C, 0x24, 0x08, LOCALE_SLANGUAGE,  // cmp [esp+8], type
                                    0x74, 0x06,                                // je answer
                                    0xFF, 0x25};                               // jmp [original]
  const auto append = [&](const std::vector<std::uint8_t>& more) {
    code.insert(code.end(), more.begin(), more.end());
  };
  append(bytes(block + kOriginalOffset));
  append({0x56, 0x57,              // answer: push esi; push edi
          0x8B, 0x7C, 0x24, 0x14,  // mov edi, [esp+20]  (data)
          0x8B, 0x4C, 0x24, 0x18,  // mov ecx, [esp+24]  (size)
          0xB8});                  // mov eax, length with the terminating zero
  append(bytes(static_cast<std::uint32_t>(name.size() + 1)));
  append({0x85, 0xC9,  // test ecx, ecx
          0x74, 0x0D,  // jz done: a size of 0 asks for the length
          0x39, 0xC1,  // cmp ecx, eax
          0x72, 0x0E,  // jb short
          0xBE});      // mov esi, name
  append(bytes(block + kNameOffset));
  append({0x89, 0xC1,        // mov ecx, eax
          0xF3, 0xA4,        // rep movsb
          0x5F, 0x5E,        // done: pop edi; pop esi
          0xC2, 0x10, 0x00,  // ret 16
          0x31, 0xC0,        // short: xor eax, eax
          0xEB, 0xF7});      // jmp done
  code.resize(kOriginalOffset, 0xCC);
  append(bytes(original));
  code.insert(code.end(), name.begin(), name.end());
  code.push_back(0);
  return code;
}

DWORD RunWithLanguage(const std::string& language, const std::string& commandLine) {
  UniqueHandle job(CreateJobObjectA(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  // What the program starts (the finished page may start the product) is
  // not the program and lives on.
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK;
  if (!job || !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits,
                                       sizeof limits))
    Fail("cannot make a job object");

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &info))
    Fail("cannot start " + commandLine);
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  AssignProcessToJobObject(job.Get(), process.Get());

  const Remote remote(process.Get());
  const std::uintptr_t base = ImageBase(process.Get());
  const auto dos = remote.Read<IMAGE_DOS_HEADER>(base);
  const auto nt = remote.Read<IMAGE_NT_HEADERS32>(base + dos.e_lfanew);
  if (nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
    throw std::runtime_error("not a 32-bit program: " + commandLine);
  const std::uintptr_t entry = base + nt.OptionalHeader.AddressOfEntryPoint;

  const auto entryBytes = remote.Read<std::uint16_t>(entry);
  const std::uint8_t park[] = {0xEB, 0xFE};  // jmp to itself
  remote.Write(entry, park, sizeof park);
  ResumeThread(thread.Get());
  WaitUntilAt(thread.Get(), entry);

  const auto slots = ImportSlots(remote, base, "GetLocaleInfoA");
  if (!slots.empty()) {
    void* block = VirtualAllocEx(process.Get(), nullptr, 4096, MEM_COMMIT | MEM_RESERVE,
                                 PAGE_EXECUTE_READWRITE);
    if (!block) Fail("cannot place code in the program");
    const auto address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(block));
    const auto code = LanguageAnswer(address, remote.Read<std::uint32_t>(slots.front()), language);
    remote.Write(address, code.data(), code.size());
    for (const std::uintptr_t slot : slots) remote.Write(slot, &address, sizeof address);
  }
  remote.Write(entry, &entryBytes, sizeof entryBytes);
  ResumeThread(thread.Get());

  WaitForSingleObject(process.Get(), INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.Get(), &exitCode);
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: with_language NAME PROGRAM [ARGS...]\n", stderr);
    return 125;
  }
  std::string commandLine;
  for (int i = 2; i < argc; ++i) commandLine += (i > 2 ? " " : "") + Quoted(argv[i]);
  try {
    return static_cast<int>(RunWithLanguage(argv[1], commandLine));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "with_language: %s\n", error.what());
    return 125;
  }
}
