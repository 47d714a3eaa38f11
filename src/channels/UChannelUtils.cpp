#include "channels/UChannelUtils.h"

#include "channels/UChannelRec.h"
#include "platform/UCodePages.h"

namespace {

TCodePageProvider& CodePageProvider() {
    static TCodePageProvider provider;
    return provider;
}

TTextProvider& ChannelSeparatorProvider() {
    static TTextProvider provider;
    return provider;
}

TTextProvider& RootSeparatorProvider() {
    static TTextProvider provider;
    return provider;
}

} // namespace

void SetNameCodePageProvider(TCodePageProvider provider) {
    CodePageProvider() = std::move(provider);
}

int NameCodePage() {
    const TCodePageProvider& provider = CodePageProvider();
    return provider ? provider() : SystemAnsiCodePage();
}

void SetChannelSeparatorProvider(TTextProvider provider) {
    ChannelSeparatorProvider() = std::move(provider);
}

void SetRootSeparatorProvider(TTextProvider provider) {
    RootSeparatorProvider() = std::move(provider);
}

QString ChannelSeparator() {
    const TTextProvider& provider = ChannelSeparatorProvider();
    return provider ? provider() : QString::fromUtf16(DefaultChannelSeparator);
}

QString RootSeparator() {
    const TTextProvider& provider = RootSeparatorProvider();
    return provider ? provider() : QString::fromUtf16(DefaultRootSeparator);
}

QByteArray EncodeName(const QString& text) {
    return EncodeToCodePage(text, NameCodePage());
}

QString DecodeName(QByteArrayView bytes) {
    return DecodeFromCodePage(bytes, NameCodePage());
}

int NameByteLength(const QString& text) {
    return int(EncodeName(text).size());
}

bool IsNameTooLong(const QString& text) {
    return NameByteLength(text) > ShortStringCapacity;
}

int FreeNameByteCount(int r, int c, int n) {
    const int rr = r == 24 ? 25 : r;
    const int cc = c == 24 ? 25 : c;
    return MaxChannelNameBytes - rr - cc - n;
}

int FreeNameBytes(const QString& root, const QString& category, const QString& name) {
    return FreeNameByteCount(NameByteLength(root), NameByteLength(category), NameByteLength(name));
}
