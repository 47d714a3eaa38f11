#include "platform/UCodePageConverter.h"

#include <windows.h>

namespace {

// Windows converts every code page it knows by number; a character a page cannot hold comes
// out as the page's default character or a "best fit" look-alike, which the caller's
// read-back check turns into "?".
class TWindowsConverter : public TCodePageConverter {
public:
    explicit TWindowsConverter(UINT codePage) : FCodePage(codePage) {}

    QByteArray Encode(QStringView text) override {
        if (text.isEmpty())
            return {};
        const auto* wide = reinterpret_cast<LPCWCH>(text.utf16());
        const int length = static_cast<int>(text.size());
        const int size =
            WideCharToMultiByte(FCodePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
        if (size <= 0)
            return {};
        QByteArray bytes(size, Qt::Uninitialized);
        const int written =
            WideCharToMultiByte(FCodePage, 0, wide, length, bytes.data(), size, nullptr, nullptr);
        bytes.truncate(written > 0 ? written : 0);
        return bytes;
    }

    QString Decode(QByteArrayView bytes) override {
        if (bytes.isEmpty())
            return {};
        const int length = static_cast<int>(bytes.size());
        const int size = MultiByteToWideChar(FCodePage, 0, bytes.data(), length, nullptr, 0);
        if (size <= 0)
            return {};
        QString text(size, Qt::Uninitialized);
        const int written = MultiByteToWideChar(FCodePage, 0, bytes.data(), length,
                                                reinterpret_cast<LPWSTR>(text.data()), size);
        text.truncate(written > 0 ? written : 0);
        return text;
    }

private:
    UINT FCodePage;
};

} // namespace

std::unique_ptr<TCodePageConverter> OpenLibraryConverter(int codePage) {
    if (codePage <= 0 || !IsValidCodePage(static_cast<UINT>(codePage)))
        return nullptr;
    return std::make_unique<TWindowsConverter>(static_cast<UINT>(codePage));
}

int SystemReportedAnsiCodePage() {
    return static_cast<int>(GetACP());
}
