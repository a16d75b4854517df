// The files of a page: in a browser there is no file system, so the page hands the module one
// input's bytes under its name, and takes back what a conversion committed under the output's
// name. The module holds them in its memory, where a native build's system holds files; or the
// page gives an input's bytes as they are read, while the conversion runs.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace qlx::platform {

// What stands at the input's name: a file the page fills before the conversion, a folder, or a
// file the page reads out as the conversion asks for its bytes (WASI's `fd_pread`, which the page
// answers once those bytes have come from the disk).
enum class PageInput { File, Folder, Streamed };

// Forgets every file, then holds room for an input of `size` bytes under `name` (a folder and a
// streamed file have none), for the page to fill before the conversion opens it.
std::span<std::byte> holdPageInput(const std::string& name, std::size_t size, PageInput kind);

// The bytes under `name`, in the pieces they were written in (an input is one piece), valid until
// the next input is held; none where there is no such file. The input is the conversion's once it
// reads it whole, and then holds nothing.
std::vector<std::span<const std::byte>> pageFile(const std::string& name);

} // namespace qlx::platform
