#include "help/URtfDocument.h"

#include "platform/UOrvaneError.h"

#include <QColor>
#include <QFile>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace {

// Twips are 1/1440 inch; text documents lay out in pixels at 96 per inch.
qreal TwipsToPixels(int twips) {
    return twips / 15.0;
}

Qt::Alignment AlignmentOf(TRtfAlignment alignment) {
    switch (alignment) {
    case TRtfAlignment::raLeft:
        return Qt::AlignLeft;
    case TRtfAlignment::raCenter:
        return Qt::AlignHCenter;
    case TRtfAlignment::raRight:
        return Qt::AlignRight;
    case TRtfAlignment::raJustify:
        return Qt::AlignJustify;
    }
    return Qt::AlignLeft;
}

QTextBlockFormat BlockFormatOf(const TRtfParagraph& paragraph) {
    QTextBlockFormat format;
    format.setAlignment(AlignmentOf(paragraph.Alignment));
    const int leftIndent = qMax(0, paragraph.LeftIndentTwips);
    format.setLeftMargin(TwipsToPixels(leftIndent));
    format.setTextIndent(TwipsToPixels(paragraph.FirstLineIndentTwips));
    format.setTopMargin(TwipsToPixels(paragraph.SpaceBeforeTwips));
    format.setBottomMargin(TwipsToPixels(paragraph.SpaceAfterTwips));
    if (!paragraph.TabStopsTwips.empty()) {
        // RTF measures a tab stop from the margin, a text layout from where the line starts.
        // Tabs sit on a paragraph's first line (a bullet or a number before its hanging
        // text), so the stops are moved by where that line starts; a stop left of it is
        // out of reach anyway.
        const int firstLineStart = leftIndent + paragraph.FirstLineIndentTwips;
        QList<QTextOption::Tab> tabs;
        for (int twips : paragraph.TabStopsTwips) {
            if (twips > firstLineStart)
                tabs.append(
                    QTextOption::Tab(TwipsToPixels(twips - firstLineStart), QTextOption::LeftTab));
        }
        format.setTabPositions(tabs);
    }
    return format;
}

QTextCharFormat CharFormatOf(const TRtfRun& run) {
    QTextCharFormat format;
    format.setFontWeight(run.Bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.Italic);
    format.setFontUnderline(run.Underline);
    if (run.FontSizeHalfPoints > 0)
        format.setFontPointSize(run.FontSizeHalfPoints / 2.0);
    if (run.HasColor)
        format.setForeground(QColor::fromRgb(static_cast<QRgb>(run.Color)));
    return format;
}

} // namespace

void FillTextDocument(QTextDocument& document, const TRtfDocument& rtf) {
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool first = true;
    for (const TRtfParagraph& paragraph : rtf.Paragraphs) {
        const QTextBlockFormat blockFormat = BlockFormatOf(paragraph);
        if (first)
            cursor.setBlockFormat(blockFormat);
        else
            cursor.insertBlock(blockFormat, QTextCharFormat());
        first = false;
        for (const TRtfRun& run : paragraph.Runs)
            cursor.insertText(run.Text, CharFormatOf(run));
    }
    cursor.endEditBlock();
}

void LoadRtfFile(QTextDocument& document, const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EReadError(
            QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, file.errorString()));
    if (LooksLikeRtf(bytes))
        FillTextDocument(document, ParseRtf(bytes));
    else
        document.setPlainText(QString::fromLocal8Bit(bytes));
}
