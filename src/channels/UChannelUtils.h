#pragma once

// Names are byte strings in the name code page, and every name limit counts bytes of that
// code page. The channel classes read no settings: they call providers that the main window
// installs, so a change of the code page or separators takes effect at the next call
// without anything being reloaded.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

using TCodePageProvider = std::function<int()>;
using TTextProvider = std::function<QString()>;

// Installs the function that returns the name code page; an empty function restores the
// default, which is the system's ANSI code page.
void SetNameCodePageProvider(TCodePageProvider provider);
// The code page in force now.
int NameCodePage();

// The separators that SmallName and FullName put between name, category and root. The
// defaults are those of a fresh settings record.
void SetChannelSeparatorProvider(TTextProvider provider);
void SetRootSeparatorProvider(TTextProvider provider);
QString ChannelSeparator();
QString RootSeparator();
inline constexpr char16_t DefaultChannelSeparator[] = u"   \u2022   ";
inline constexpr char16_t DefaultRootSeparator[] = u"   >>>>>>";

// Text to and from bytes of the name code page.
QByteArray EncodeName(const QString& text);
QString DecodeName(QByteArrayView bytes);

// The number of bytes of the text in the name code page.
int NameByteLength(const QString& text);
// True when the text takes more than the 25 bytes of one name field.
bool IsNameTooLong(const QString& text);
// Free-byte count of a channel name of n bytes beside a root of r and a category of c
// bytes; negative when the name does not fit. A root or category of 24 bytes leaves no
// usable tail (its one free byte would be the count alone), so it counts as 25.
int FreeNameByteCount(int r, int c, int n);
// FreeNameByteCount of the three texts' byte lengths.
int FreeNameBytes(const QString& root, const QString& category, const QString& name);
