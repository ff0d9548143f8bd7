#include "view/row_details.h"

#include "platform/version_info.h"

#include <utility>

namespace quillon {

TFileDetails ReadFileDetails(const std::wstring& File, TRowImages& Images) {
    return {ReadProductName(File), Images.IconFor(File)};
}

TRowDetails::TRowDetails(TReader Reader) : FReader(std::move(Reader)) {}

void TRowDetails::BeginRefresh() { FFiles.clear(); }

void TRowDetails::Complete(TAutorunItem& Row, TRowImages& Images) {
    if (Row.PendingFile.empty()) return;
    auto found = FFiles.find(Row.PendingFile);
    if (found == FFiles.end()) found = FFiles.emplace(Row.PendingFile, FReader(Row.PendingFile, Images)).first;
    const TFileDetails& details = found->second;
    if (!details.ProductName.empty()) Row.FileName = details.ProductName;
    Row.Icon = details.Icon;
    Row.PendingFile.clear();
}

}  // namespace quillon
