#include "platform/UCodePageConverter.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// Windows code pages and the names the converter library knows them by. A number that is not
// here is asked for as "windows-N", the name of the ANSI, most OEM and the Mac pages.
struct TLibraryName {
    int CodePage;
    const char* Name;
};
constexpr TLibraryName LibraryNames[] = {
    {37, "ibm-37"},         {500, "ibm-500"},           {708, "ASMO-708"},
    {860, "ibm-860"},       {863, "ibm-863"},           {864, "ibm-864"},
    {865, "ibm-865"},       {870, "ibm-870"},           {875, "ibm-875"},
    {1026, "ibm-1026"},     {1047, "ibm-1047"},         {1140, "ibm-1140"},
    {1141, "ibm-1141"},     {1142, "ibm-1142"},         {1143, "ibm-1143"},
    {1144, "ibm-1144"},     {1145, "ibm-1145"},         {1146, "ibm-1146"},
    {1147, "ibm-1147"},     {1148, "ibm-1148"},         {1149, "ibm-1149"},
    {20273, "ibm-273"},     {20277, "ibm-277"},         {20278, "ibm-278"},
    {20280, "ibm-280"},     {20284, "ibm-284"},         {20285, "ibm-285"},
    {20290, "ibm-290"},     {20297, "ibm-297"},         {20420, "ibm-420"},
    {20424, "ibm-424"},     {20838, "ibm-838"},         {20866, "KOI8-R"},
    {20871, "ibm-871"},     {20932, "EUC-JP"},          {21025, "ibm-1025"},
    {21866, "KOI8-U"},      {28592, "ISO-8859-2"},      {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},  {28595, "ISO-8859-5"},      {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},      {28599, "ISO-8859-9"},
    {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"},     {38598, "ISO-8859-8-I"},
    {50220, "ISO-2022-JP"}, {50221, "x-windows-50221"}, {50222, "JIS7"},
    {50225, "ISO-2022-KR"}, {50227, "ISO-2022-CN"},     {51932, "EUC-JP"},
    {51936, "GB2312"},      {51949, "EUC-KR"},          {52936, "HZ-GB-2312"},
    {54936, "GB18030"},     {65000, "UTF-7"},
};

QByteArray LibraryName(int codePage) {
    for (const TLibraryName& entry : LibraryNames)
        if (entry.CodePage == codePage)
            return QByteArray(entry.Name);
    return QByteArrayLiteral("windows-") + QByteArray::number(codePage);
}

class TQtConverter : public TCodePageConverter {
public:
    explicit TQtConverter(const QByteArray& name)
        : FEncoder(name.constData(), QStringConverter::Flag::Stateless),
          FDecoder(name.constData(), QStringConverter::Flag::Stateless) {}

    bool IsValid() const { return FEncoder.isValid() && FDecoder.isValid(); }

    QByteArray Encode(QStringView text) override {
        FEncoder.resetState();
        return FEncoder.encode(text);
    }
    QString Decode(QByteArrayView bytes) override {
        FDecoder.resetState();
        return FDecoder.decode(bytes);
    }

private:
    QStringEncoder FEncoder;
    QStringDecoder FDecoder;
};

} // namespace

std::unique_ptr<TCodePageConverter> OpenLibraryConverter(int codePage) {
    auto converter = std::make_unique<TQtConverter>(LibraryName(codePage));
    if (!converter->IsValid())
        return nullptr;
    return converter;
}

int SystemReportedAnsiCodePage() {
    return 0;
}
