// The settings-file targets' files: one temporary folder per fuzzing process (on a memory file
// system where there is one, since every settings write is flushed to disk), removed when the
// process ends normally. Each input rewrites the same file in it.
//
//   ScratchFile   the path of the one file the targets work on
//   PutFile       the file's whole content; false when it cannot be written
//   FileContent   the file's whole content, or nothing when it cannot be read
//   FolderEntries how many entries the folder holds (the file and anything left beside it)
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fuzz {

const std::string& ScratchFile();
bool PutFile(const std::string& path, std::string_view bytes);
std::optional<std::string> FileContent(const std::string& path);
std::size_t FolderEntries();

}  // namespace fuzz
