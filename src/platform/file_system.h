// Files by name, the same on every platform. A file name is the bytes given in the
// configuration or on the command line. POSIX systems take them as they are; on Windows
// they are read in the system's ANSI code page (the code page of programs that are not
// Unicode), and a name whose bytes are not text in that code page names no file at all,
// rather than the file of some other name that a lossy conversion would give.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace kestrum {

// std::fopen by a file name as above, mode "rb", "wb" or "ab"; null when the file cannot
// be opened or the name is no name. On Windows the file stays open to being renamed or
// removed by others, as a POSIX file does.
std::FILE* OpenFile(const std::string& path, const char* mode);

// The size in bytes of the regular file that path names; none for anything else or when
// it cannot be told.
std::optional<std::uint64_t> FileSize(const std::string& path);

#if defined(_WIN32)
// The name as Windows' file functions take it; none when its bytes are not text in the
// ANSI code page.
std::optional<std::wstring> WideFileName(const std::string& path);

// The final path of the file that path names, symbolic links and junctions followed; the
// name itself when it names nothing (yet).
std::wstring FinalPathOf(const std::wstring& path);

// The folder part of a path, with its separator (L"" for a bare name or a drive's
// current folder, "C:name", which keeps its "C:").
std::wstring FolderOf(const std::wstring& path);
#endif

}  // namespace kestrum
