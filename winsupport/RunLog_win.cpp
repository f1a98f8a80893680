#include "winsupport/RunLog_win.h"

#include "winsupport/Files_win.h"

namespace pelmora::winsupport {
namespace {

constexpr auto kFile = common::WinFailure::Subject::File;

// Appends `value` with at least `digits` digits.
void AppendNumber(std::string& text, unsigned value, unsigned digits) {
  char reversed[10];
  unsigned count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0 || count < digits);
  while (count > 0) text += reversed[--count];
}

}  // namespace

common::WinResult<RunLog> RunLog::Open(const std::string& path) {
  win::UniqueHandle file(
      ::CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return common::FailedAs<RunLog>(kFile, path, ::GetLastError());
  BY_HANDLE_FILE_INFORMATION facts{};
  if (!::GetFileInformationByHandle(file.Get(), &facts))
    return common::FailedAs<RunLog>(kFile, path, ::GetLastError());
  if ((facts.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
      facts.nNumberOfLinks > 1)
    return common::FailedAs<RunLog>(kFile, path, ERROR_CANT_ACCESS_FILE);
  return RunLog(std::move(file));
}

void RunLog::Line(std::string_view text) const {
  if (!file_) return;
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  std::string line;
  line.reserve(text.size() + 22);
  // "YYYY-MM-DD hh:mm:ss ": each field with the separator that follows it.
  const struct {
    WORD value;
    unsigned digits;
    char after;
  } fields[] = {{now.wYear, 4, '-'}, {now.wMonth, 2, '-'},  {now.wDay, 2, ' '},
                {now.wHour, 2, ':'}, {now.wMinute, 2, ':'}, {now.wSecond, 2, ' '}};
  for (const auto& field : fields) {
    AppendNumber(line, field.value, field.digits);
    line += field.after;
  }
  line += text;
  line += "\r\n";
  WriteAll(file_.Get(), {}, line.data(), line.size());
}

}  // namespace pelmora::winsupport
