#include "structure/UHappyManView.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <utility>

namespace {

constexpr int Margin = 4;

// Advances of single characters, looked up once each: summing them gives a line's width
// without shaping 100,000 lines.
class TAdvances {
public:
    explicit TAdvances(const QFont& font) : FMetrics(font), FAdvance(65536, -1) {}

    int Of(QChar c) {
        qint32& advance = FAdvance[c.unicode()];
        if (advance < 0)
            advance = FMetrics.horizontalAdvance(c);
        return advance;
    }

private:
    QFontMetrics FMetrics;
    std::vector<qint32> FAdvance;
};

QFont BoldOf(QFont font) {
    font.setBold(true);
    return font;
}

} // namespace

void THappyManModel::SetText(TStructureText text) {
    beginResetModel();
    FText = std::move(text);
    endResetModel();
}

int THappyManModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FText.LineCount();
}

QVariant THappyManModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FText.LineCount())
        return {};
    if (role == Qt::DisplayRole)
        return FText.Line(index.row()).toString();
    return {};
}

// Paints a line run by run in each run's colour and weight; the view asks it only for the
// lines in sight.
class THappyManDelegate : public QAbstractItemDelegate {
public:
    THappyManDelegate(const THappyManModel& model, QObject* parent)
        : QAbstractItemDelegate(parent), FModel(model) {}

    void SetFont(const QFont& font) {
        FRegular = font;
        FBold = BoldOf(font);
        const QFontMetrics regular(FRegular);
        const QFontMetrics bold(FBold);
        FAscent = std::max(regular.ascent(), bold.ascent());
        FLineHeight = FAscent + std::max(regular.descent(), bold.descent()) + 1;
    }
    void SetWidth(int width) { FWidth = width; }
    int Width() const { return FWidth; }
    const QFont& Regular() const { return FRegular; }
    const QFont& Bold() const { return FBold; }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {FWidth, FLineHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const TStructureText& text = FModel.Text();
        if (index.row() >= text.LineCount())
            return;
        const QPalette::ColorGroup group =
            !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
            : (option.state & QStyle::State_Active) ? QPalette::Active
                                                    : QPalette::Inactive;
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        if (selected)
            painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
        qreal x = option.rect.left() + Margin;
        const qreal baseline = option.rect.top() + FAscent;
        for (const TStructureTextRun* run = text.RunsBegin(index.row());
             run != text.RunsEnd(index.row()); ++run) {
            const QFont& font = run->Bold ? FBold : FRegular;
            const QString part = text.RunText(*run).toString();
            painter->setFont(font);
            painter->setPen(selected ? option.palette.color(group, QPalette::HighlightedText)
                                     : QColor::fromRgb(run->Colour));
            painter->drawText(QPointF(x, baseline), part);
            x += QFontMetricsF(font).horizontalAdvance(part);
        }
        // The caret stands at the start of the current line while the view has the focus.
        if (option.state & QStyle::State_HasFocus) {
            painter->setPen(
                option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
            const int caretX = option.rect.left() + Margin - 1;
            painter->drawLine(caretX, option.rect.top(), caretX, option.rect.bottom());
        }
        painter->restore();
    }

private:
    const THappyManModel& FModel;
    QFont FRegular;
    QFont FBold;
    int FAscent = 0;
    int FLineHeight = 1;
    int FWidth = 0;
};

THappyManView::THappyManView(QWidget* parent) : QListView(parent) {
    FModel = new THappyManModel(this);
    FDelegate = new THappyManDelegate(*FModel, this);
    FDelegate->SetFont(font());
    setModel(FModel);
    setItemDelegate(FDelegate);
    // Every line is as wide as the widest and one text line high, so the view computes no
    // line's size and paints only what is in sight.
    setUniformItemSizes(true);
    setLayoutMode(QListView::SinglePass);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setDragEnabled(false);

    // What a text box offers on a right click; the keys are handled in keyPressEvent.
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction(QStringLiteral("&Copy"), this);
    copy->setObjectName(QStringLiteral("actCopyLines"));
    connect(copy, &QAction::triggered, this, &THappyManView::CopySelection);
    auto* all = new QAction(QStringLiteral("Select &All"), this);
    all->setObjectName(QStringLiteral("actSelectAllLines"));
    connect(all, &QAction::triggered, this, &QAbstractItemView::selectAll);
    addActions({copy, all});
}

void THappyManView::SetText(TStructureText text) {
    // Measured before the model resets, so the first layout already knows the width.
    MeasureLines(text);
    FModel->SetText(std::move(text));
    if (LineCount() > 0)
        selectionModel()->setCurrentIndex(FModel->index(0), QItemSelectionModel::Clear);
}

void THappyManView::MeasureLines(const TStructureText& text) {
    TAdvances regular(FDelegate->Regular());
    TAdvances bold(FDelegate->Bold());
    int widest = 0;
    for (int n = 0; n < text.LineCount(); ++n) {
        int width = 0;
        for (const TStructureTextRun* run = text.RunsBegin(n); run != text.RunsEnd(n); ++run) {
            TAdvances& advances = run->Bold ? bold : regular;
            for (QChar c : text.RunText(*run))
                width += advances.Of(c);
        }
        widest = std::max(widest, width);
    }
    // Room for the margins and for what kerning and shaping add to a sum of single advances.
    FDelegate->SetWidth(widest + 2 * Margin +
                        2 * QFontMetrics(FDelegate->Bold()).averageCharWidth());
}

int THappyManView::ContentWidth() const {
    return FDelegate->Width();
}

int THappyManView::CaretLine() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void THappyManView::PutCaretOnLine(int line) {
    if (line < 0 || line >= LineCount())
        return;
    const QModelIndex index = FModel->index(line);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::Clear);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

QString THappyManView::SelectedText() const {
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (range.isValid())
            ranges.emplace_back(range.top(), range.bottom());
    std::sort(ranges.begin(), ranges.end());
    const TStructureText& text = FModel->Text();
    QString selected;
    int next = 0; // first line not yet taken
    for (auto [top, bottom] : ranges) {
        top = std::max(top, next);
        if (top > bottom)
            continue;
        selected += text.Lines(top, bottom);
        next = bottom + 1;
    }
    return selected;
}

void THappyManView::CopySelection() const {
    QGuiApplication::clipboard()->setText(SelectedText());
}

void THappyManView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        CopySelection();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void THappyManView::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    FDelegate->SetFont(font());
    MeasureLines(FModel->Text());
    // Lines changed size: lay them out again, keeping the caret where it was.
    const int caret = CaretLine();
    reset();
    if (caret >= 0)
        selectionModel()->setCurrentIndex(FModel->index(caret), QItemSelectionModel::Clear);
}
