#include "procedures/load_file.h"

namespace torvane {

void ShowFileError(DialogHost& host, BitFileError error) {
  switch (error) {
    case BitFileError::None:
      return;
    case BitFileError::NotFound:
      host.ShowError(MessageOwner::Dialog, TEXT_FILE_NOT_FOUND);
      return;
    case BitFileError::WrongFormat:
    case BitFileError::TooLarge:
      host.ShowError(MessageOwner::None, TEXT_WRONG_FILE_FORMAT);
      return;
  }
}

bool LoadFileForDownload(const char* path, DialogHost& host, BitFile* file) {
  BitFileError error = LoadBitFile(path, file);
  ShowFileError(host, error);
  return error == BitFileError::None;
}

}  // namespace torvane
