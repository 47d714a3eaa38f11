#pragma once

// The system's own converters between text and a Windows code page's bytes, behind one face:
// on Windows the system's conversion functions, elsewhere the converter library Qt is built
// with. The code page unit builds its "?" rule, caches and fallbacks on top of this.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <memory>

class TCodePageConverter {
public:
    virtual ~TCodePageConverter() = default;
    // Each call stands alone: no state carries over from one call to the next. What a code
    // page cannot hold comes out however the system substitutes it; callers check.
    virtual QByteArray Encode(QStringView text) = 0;
    virtual QString Decode(QByteArrayView bytes) = 0;
};

// The system's converter for the code page number, or null when it has none.
std::unique_ptr<TCodePageConverter> OpenLibraryConverter(int codePage);

// The ANSI code page the system itself reports, or 0 where it has no such notion (the caller
// then derives one from the locale).
int SystemReportedAnsiCodePage();
