// Any bytes as the download list's file: whatever reads must give names that stay plain files
// inside the incoming folder, whether a name comes from the file or from the link.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "download/DownloadFileName.h"
#include "download/DownloadStateFile.h"

namespace {

void CheckPlain(const std::u16string& name) {
  if (name.empty() || name == u"." || name == u".." || name.find(u'/') != std::u16string::npos ||
      name.find(u'\0') != std::u16string::npos || name == quelt::download::kStateFileName) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const auto& record : quelt::download::ParseDownloadList(std::span(data, size))) {
    if (record.url.empty()) std::abort();
    CheckPlain(quelt::download::FileNameFromLink(record.url));
    if (!record.fileName.empty()) CheckPlain(quelt::download::SafeFileName(record.fileName));
  }
  return 0;
}
