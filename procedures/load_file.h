// The selected ".bit" file, loaded for a download, and the box each refusal gets: the
// reader says what went wrong, the procedures decide what the user sees.
#pragma once

#include "bitfile/bit_file.h"
#include "procedures/dialog_host.h"

namespace torvane {

constexpr const char* TEXT_FILE_NOT_FOUND = "File not Found !";
constexpr const char* TEXT_WRONG_FILE_FORMAT = "Wrong file format!";

// "File not Found !" owned by the dialog, or "Wrong file format!" standing on its own (an
// over-large data section is no design for these boards either); nothing for None.
void ShowFileError(DialogHost& host, BitFileError error);

// Loads `path` into `file`; false, with the box shown, when the reader refuses it.
bool LoadFileForDownload(const char* path, DialogHost& host, BitFile* file);

}  // namespace torvane
