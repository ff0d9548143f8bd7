#pragma once
// A row's product name and icon, read from its file only when the row is
// first shown: the list asks for the rows on screen only, so a refresh of
// thousands of entries reads a screenful of files. Each distinct file is
// read once per refresh, however many rows name it, and a file that has no
// product name or icon is remembered as such.

#include "view/autorun_item.h"
#include "view/row_images.h"

#include <functional>
#include <string>
#include <unordered_map>

namespace quillon {

struct TFileDetails {
    std::wstring ProductName;  // empty: none
    int Icon = 0;
};

// What a file gives a row: its product name, and its icon added to Images.
TFileDetails ReadFileDetails(const std::wstring& File, TRowImages& Images);

class TRowDetails {
public:
    using TReader = std::function<TFileDetails(const std::wstring& File, TRowImages& Images)>;

    explicit TRowDetails(TReader Reader = &ReadFileDetails);

    // A refresh begins: files are read anew from now on.
    void BeginRefresh();

    // Gives Row its product name (when the file has one) and icon, once.
    void Complete(TAutorunItem& Row, TRowImages& Images);

private:
    TReader FReader;
    std::unordered_map<std::wstring, TFileDetails> FFiles;
};

}  // namespace quillon
