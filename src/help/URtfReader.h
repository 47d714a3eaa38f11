#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

// A reader for the part of RTF that the help pages use: groups, bold, italic, underline,
// paragraphs, line breaks, tabs, font sizes, colours from the colour table, code-page and
// Unicode escapes, and simple paragraph alignment and indents. Everything else (fonts, styles,
// document information, pictures, unknown control words) is read over and dropped.
//
// The reader produces a neutral list of paragraphs and runs, so that it needs nothing beyond
// Qt Core and can be checked headless; the help window turns the list into a text document.
// Any byte sequence is accepted: unbalanced braces, truncated escapes and absurd numbers give
// some text, never a crash, a hang or unbounded memory.

enum class TRtfAlignment { raLeft, raCenter, raRight, raJustify };

struct TRtfRun {
    QString Text; // tabs as '\t', \line as U+2028 (QChar::LineSeparator)
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    int FontSizeHalfPoints = 0; // 0: the document's default size
    bool HasColor = false;      // false: the default (automatic) text colour
    quint32 Color = 0;          // 0xRRGGBB when HasColor

    bool SameFormat(const TRtfRun& other) const {
        return Bold == other.Bold && Italic == other.Italic && Underline == other.Underline &&
               FontSizeHalfPoints == other.FontSizeHalfPoints && HasColor == other.HasColor &&
               Color == other.Color;
    }
};

struct TRtfParagraph {
    std::vector<TRtfRun> Runs;
    TRtfAlignment Alignment = TRtfAlignment::raLeft;
    int LeftIndentTwips = 0;
    int FirstLineIndentTwips = 0;
    int SpaceBeforeTwips = 0;
    int SpaceAfterTwips = 0;
    std::vector<int> TabStopsTwips; // from \tx, in the order given

    QString Text() const;
};

struct TRtfDocument {
    std::vector<TRtfParagraph> Paragraphs;
    int CodePage = 1252; // from \ansicpg

    // The text of all paragraphs, one line feed between paragraphs.
    QString PlainText() const;
};

// True when the bytes start (after blanks) with "{\rtf".
bool LooksLikeRtf(const QByteArray& bytes);

TRtfDocument ParseRtf(const QByteArray& bytes);
