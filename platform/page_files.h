// The files of a page: in a browser there is no file system, so the page hands the module one
// input's bytes under its name, and takes back what a conversion committed under the output's
// name. The module holds them in its memory, where a native build's system holds files.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace qlx::platform {

// What stands at the input's name.
enum class PageInput { File, Folder };

// Forgets every file, then holds room for an input of `size` bytes under `name` (a folder has
// none), for the page to fill before the conversion opens it.
std::span<std::byte> holdPageInput(const std::string& name, std::size_t size, PageInput kind);

// The bytes under `name`, in the pieces they were written in (an input is one piece), valid until
// the next input is held; none where there is no such file. The input is the conversion's once it
// reads it whole, and then holds nothing.
std::vector<std::span<const std::byte>> pageFile(const std::string& name);

} // namespace qlx::platform
