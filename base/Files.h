#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace offrel {

// The full path of a file name, as the messages show it.
std::string FullPath(const std::string& path);

// The whole content of a file; fails with "Impossible d'ouvrir le fichier "%s". %s".
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Told the full path of the file that a write is about to replace, once the new bytes are safe on
// the disk and before the rename: the old file is still there to be linked or copied elsewhere.
using BeforeReplace = std::function<void(const std::string& replaced)>;

// Replaces the file by the bytes without ever writing it in place: they go to a new file in the
// same folder, are flushed to the disk, and that file is renamed over the old one, so a crash or
// a full disk leaves the previous file whole. Fails with "Impossible de créer le fichier "%s". %s".
// beforeReplace, when given, is called only when a file is replaced; what it throws stops the
// write and leaves the old file as it was.
void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         const BeforeReplace& beforeReplace = {});

// Replaces the file at path, as WriteFileAtomically does, by the file at source without copying
// it: a hard link to source is renamed over it, and both names then share the same bytes, which
// stay as they are as long as every writer replaces the file instead of writing in it. Where the
// link cannot be made (another file system), the bytes of source are written. Fails with
// "Impossible de créer le fichier "%s". %s".
void ReplaceFileWithLink(const std::string& path, const std::string& source);

// Writes the bytes at offset in the file (created when missing) and cuts off whatever followed.
// When durable, they are flushed to the disk, with the folder for a new file, before it returns.
// A failure cuts the file back to offset and throws "Impossible d'écrire dans le fichier "%s". %s".
void WriteFileTail(const std::string& path, std::uint64_t offset, std::string_view bytes,
                   bool durable);

}  // namespace offrel
