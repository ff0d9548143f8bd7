#include "service/update_text.h"

#include "i18n/translation.h"

#include <array>

namespace quillon {
namespace {

struct TUpdateTexts {
    std::wstring_view Language;
    std::wstring_view Message;
    std::wstring_view Yes;
    std::wstring_view No;
};

// The paragraphs are separated by two carriage returns and no line feed.
constexpr std::array<TUpdateTexts, 8> kTexts{{
    {L"ko",
     L"업데이트가 정보가 있습니다.\r\r안정적으로 사용하기 위해 업데이트를 하시길 권장합니다.\r\r"
     L"다운로드 받으시겠습니까?",
     L"예", L"아니오"},
    {L"ja",
     L"このプログラムがアップデートされました。\r\r"
     L"安定的に使用するために新しくダウンロード\u00B7実行することをお勧めします。\r\rダウンロードしますか。",
     L"はい", L"いいえ"},
    {L"zh", L"该程序已更新。\r\r建议下载并执行新程序以稳定使用。\r\r您要下载吗\uFF1F", L"是", L"否"},
    {L"de",
     L"Dieses Programm ist aktualisiert worden.\r\r"
     L"Es wird empfohlen, es herunterzuladen und neu auszuführen, um es stabil zu verwenden.\r\r"
     L"Möchten Sie es herunterladen?",
     L"Ja", L"Nein"},
    {L"ru",
     L"Данная программа была обновлена.\r\r"
     L"Рекомендуется скачать и выполнить новое для стабильного использования.\r\rВы хотите загрузить ее?",
     L"Да", L"Нет"},
    {L"it",
     L"È disponibile una nuova versione del programma.\r\r"
     L"Ti suggeriamo di scaricare ed aggiornare il programma.\r\rVuoi scaricare la nuova versione del programma?",
     L"Sì", L"No"},
    {L"fr",
     L"Ce programme a été mis à jour.\r\r"
     L"Il est recommandé de télécharger et d'exécuter la nouvelle version pour une utilisation stable.\r\r"
     L"Voulez-vous le télécharger?",
     L"Oui", L"Non"},
    // Every other language, English and Arabic among them.
    {L"",
     L"This program has been updated.\r\r"
     L"It is recommended to download and execute new for stable use.\r\rDo you want to download it?",
     L"Yes", L"No"},
}};

const TUpdateTexts& TextsFor(std::wstring_view Language) {
    for (const TUpdateTexts& texts : kTexts) {
        if (texts.Language == Language) return texts;
    }
    return kTexts.back();
}

}  // namespace

std::wstring UpdateText(int Kind) { return UpdateText(Kind, CurrentLanguage()); }

std::wstring UpdateText(int Kind, std::wstring_view Language) {
    const TUpdateTexts& texts = TextsFor(Language);
    switch (Kind) {
    case kUpdateMessage:
        return std::wstring(texts.Message);
    case kUpdateYes:
        return std::wstring(texts.Yes);
    case kUpdateNo:
        return std::wstring(texts.No);
    default:
        return {};
    }
}

}  // namespace quillon
