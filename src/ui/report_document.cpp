// report_document.cpp --- a report laid out as a text document.
#include "ui/report_document.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>
#include <algorithm>

namespace ui {

namespace report_page {

QSizeF body_size() {
    const double px = layout_dpi / 25.4;
    return {(width_mm - left_mm - right_mm) * px, (height_mm - top_mm - bottom_mm) * px};
}

} // namespace report_page

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The device the document is laid out on: fixed at the layout resolution, so that point
// sizes and image sizes come out the same on screen, in the preview and in the PDF.
QPaintDevice* layout_device() {
    static QImage device = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        const int dots_per_metre = qRound(report_page::layout_dpi / 0.0254);
        i.setDotsPerMeterX(dots_per_metre);
        i.setDotsPerMeterY(dots_per_metre);
        return i;
    }();
    return &device;
}

QTextCharFormat text_format(double points, bool bold = false) {
    QTextCharFormat f;
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return f;
}

void new_block(QTextCursor& c, double space_before = 0) {
    QTextBlockFormat b;
    b.setTopMargin(space_before);
    c.insertBlock(b);
}

void add_title(QTextCursor& c, const stats::Report& r) {
    c.setCharFormat(text_format(15, true));
    c.insertText(qs(r.title));
    new_block(c, 2);
    c.setCharFormat(text_format(10.5));
    c.insertText(qs(r.plot_line));
}

QTextTableFormat table_format(double border) {
    QTextTableFormat f;
    f.setBorder(border);
    f.setBorderStyle(border > 0 ? QTextFrameFormat::BorderStyle_Solid
                                : QTextFrameFormat::BorderStyle_None);
    f.setBorderCollapse(true);
    f.setCellSpacing(0);
    f.setCellPadding(3);
    f.setTopMargin(8);
    return f;
}

void cell_text(QTextTable& t, int row, int column, const QString& text,
               const QTextCharFormat& format, Qt::Alignment align = Qt::AlignLeft) {
    QTextCursor c = t.cellAt(row, column).firstCursorPosition();
    QTextBlockFormat b = c.blockFormat();
    b.setAlignment(align);
    c.setBlockFormat(b);
    c.insertText(text, format);
}

// The facts as two columns without lines: heading, then the labelled values.
void add_facts(QTextCursor& c, const std::vector<stats::FactLine>& facts) {
    if (facts.empty()) return;
    QTextTableFormat f = table_format(0);
    f.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    f.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 22),
                                 QTextLength(QTextLength::PercentageLength, 78)});
    QTextTable* t = c.insertTable(static_cast<int>(facts.size()), 2, f);
    for (std::size_t i = 0; i < facts.size(); ++i) {
        const int row = static_cast<int>(i);
        cell_text(*t, row, 0, qs(facts[i].heading), text_format(10, true));
        QStringList parts;
        for (const auto& [label, value] : facts[i].values)
            if (!label.empty() || !value.empty())
                parts << (label.empty() ? qs(value) : qs(label) + " " + qs(value));
        cell_text(*t, row, 1, parts.join(QStringLiteral("    ")), text_format(10));
    }
    c.movePosition(QTextCursor::End);
}

// The lines in a fixed-pitch font, so that the statistics' "=" stand one below the other.
void add_lines(QTextCursor& c, const std::vector<std::string>& lines) {
    QTextCharFormat fixed = text_format(9.5);
    fixed.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont),
                  QTextCharFormat::FontPropertiesSpecifiedOnly);
    fixed.setFontPointSize(9.5);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        new_block(c, i == 0 ? 10 : 0);
        c.setCharFormat(fixed);
        c.insertText(qs(lines[i]));
    }
}

void add_chart(QTextDocument& doc, QTextCursor& c, const QImage& chart) {
    if (chart.isNull()) return;
    const QUrl name(QStringLiteral("report-chart://chart"));
    doc.addResource(QTextDocument::ImageResource, name, chart);
    new_block(c, 10);
    QTextImageFormat image;
    image.setName(name.toString());
    const double width = report_page::body_size().width();
    image.setWidth(width);
    image.setHeight(width * chart.height() / chart.width());
    c.insertImage(image);
}

// The table with its header row repeated on every page; numeric columns right-aligned.
// A table without rows shows its caption alone.
void add_table(QTextCursor& c, const stats::ReportTable& table) {
    if (!table.caption.empty()) {
        new_block(c, 12);
        c.setCharFormat(text_format(11, true));
        c.insertText(qs(table.caption));
    }
    if (table.headers.empty() || table.rows.empty()) return;
    new_block(c);
    const int columns = static_cast<int>(table.headers.size());
    const bool all_numeric =
        std::find(table.numeric.begin(), table.numeric.end(), false) == table.numeric.end();
    QTextTableFormat f = table_format(0.5);
    f.setBorderBrush(QColor(120, 120, 120));
    f.setHeaderRowCount(1);
    f.setWidth(QTextLength(QTextLength::PercentageLength, all_numeric ? 60 : 100));
    if (table.widths.size() == table.headers.size()) {
        QList<QTextLength> widths;
        for (int w : table.widths) widths << QTextLength(QTextLength::PercentageLength, w);
        f.setColumnWidthConstraints(widths);
    }
    QTextTable* t = c.insertTable(static_cast<int>(table.rows.size()) + 1, columns, f);
    const auto align = [&](int column) {
        const auto i = static_cast<std::size_t>(column);
        return i < table.numeric.size() && table.numeric[i] ? Qt::AlignRight : Qt::AlignLeft;
    };
    const QTextCharFormat head = text_format(9.5, true), body = text_format(9.5);
    for (int col = 0; col < columns; ++col) {
        QTextTableCell cell = t->cellAt(0, col);
        QTextCharFormat shade = cell.format();
        shade.setBackground(QColor(225, 225, 225));
        cell.setFormat(shade);
        cell_text(*t, 0, col, qs(table.headers[static_cast<std::size_t>(col)]), head, align(col));
    }
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        for (int col = 0; col < columns && col < static_cast<int>(table.rows[r].size()); ++col)
            cell_text(*t, static_cast<int>(r) + 1, col,
                      qs(table.rows[r][static_cast<std::size_t>(col)]), body, align(col));
    c.movePosition(QTextCursor::End);
}

} // namespace

std::unique_ptr<QTextDocument> report_document(const stats::Report& report, const QImage& chart) {
    auto doc = std::make_unique<QTextDocument>();
    doc->documentLayout()->setPaintDevice(layout_device());
    QFont font = QGuiApplication::font();
    font.setPointSizeF(10);
    doc->setDefaultFont(font);
    doc->setDocumentMargin(0);
    doc->setPageSize(report_page::body_size());
    QTextCursor c(doc.get());
    c.beginEditBlock(); // one layout at the end instead of one per cell
    add_title(c, report);
    new_block(c, 6);
    add_facts(c, report.facts);
    add_lines(c, report.text_lines);
    add_chart(*doc, c, chart);
    add_table(c, report.table);
    c.endEditBlock();
    return doc;
}

} // namespace ui
