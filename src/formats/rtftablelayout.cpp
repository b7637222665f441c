// SPDX-License-Identifier: MIT
// RTF describes each row by its cells' right edges; QTextTable is a grid. This maps one onto the other.
#include "rtfdocumentbuilder.h"
#include "rtfreader.h"

#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextTable>

#include <algorithm>

namespace pemmo::formats::rtf {

namespace {

constexpr int kMaxGridColumns = 64;
constexpr int kSameEdgeTwips = 20; // writers round edges differently from row to row

struct Placed
{
    int start = 0;
    int span = 1;
    CellDef def;
};

// Where each cell of each row goes; empty when the edges do not make a usable grid.
std::vector<std::vector<Placed>> placeCells(const std::vector<RowLayout>& rows, std::vector<int>& edges)
{
    for (const RowLayout& row : rows) {
        if (int(row.cells.size()) != row.filled)
            continue;
        for (const CellDef& cell : row.cells)
            edges.push_back(cell.rightTwips);
    }
    std::sort(edges.begin(), edges.end());
    std::vector<int> merged;
    for (const int edge : edges) {
        if (merged.empty() || edge - merged.back() > kSameEdgeTwips)
            merged.push_back(edge);
    }
    edges = merged;
    std::vector<std::vector<Placed>> placed;
    if (edges.empty() || int(edges.size()) > kMaxGridColumns)
        return placed;
    const auto column = [&edges](int edge) {
        int best = 0;
        for (int i = 0; i < int(edges.size()); ++i) {
            if (std::abs(edges[i] - edge) < std::abs(edges[best] - edge))
                best = i;
        }
        return best;
    };
    for (const RowLayout& row : rows) {
        std::vector<Placed> cells;
        const bool defined = int(row.cells.size()) == row.filled;
        for (int i = 0; i < row.filled; ++i) {
            Placed cell;
            if (defined) {
                cell.def = row.cells[i];
                cell.start = i == 0 ? 0 : cells.back().start + cells.back().span;
                cell.span = std::max(column(cell.def.rightTwips) - cell.start + 1, 1);
            } else {
                cell.start = i;
                if (i < int(row.cells.size()))
                    cell.def = row.cells[i];
            }
            cells.push_back(cell);
        }
        placed.push_back(std::move(cells));
    }
    return placed;
}

void moveCell(QTextTable& table, int row, int from, int to)
{
    const QTextTableCell source = table.cellAt(row, from);
    QTextCursor cursor = source.firstCursorPosition();
    cursor.setPosition(source.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    const QTextDocumentFragment content = cursor.selection();
    // The fragment's first paragraph joins the target's empty one and would take its look.
    const QTextBlockFormat first = source.firstCursorPosition().blockFormat();
    cursor.removeSelectedText();
    QTextCursor target = table.cellAt(row, to).firstCursorPosition();
    target.insertFragment(content);
    target = table.cellAt(row, to).firstCursorPosition();
    target.setBlockFormat(first);
}

} // namespace

void layOutTable(QTextTable& table, const std::vector<RowLayout>& rows, const std::function<QColor(int)>& colour)
{
    if (rows.empty())
        return;
    std::vector<int> edges;
    std::vector<std::vector<Placed>> placed = placeCells(rows, edges);
    if (placed.empty())
        return;
    int columns = int(edges.size());
    for (const std::vector<Placed>& row : placed) {
        if (!row.empty())
            columns = std::max(columns, row.back().start + row.back().span);
    }
    columns = std::min(columns, kMaxGridColumns);
    if (columns > table.columns())
        table.appendColumns(columns - table.columns());
    // Cells move right to where their edges put them, the rightmost first so nothing is overwritten.
    for (int r = 0; r < int(placed.size()) && r < table.rows(); ++r) {
        for (int i = int(placed[r].size()) - 1; i >= 0; --i) {
            Placed& cell = placed[r][i];
            cell.start = std::min(cell.start, table.columns() - 1);
            cell.span = std::min(cell.span, table.columns() - cell.start);
            if (cell.start != i && i < table.columns())
                moveCell(table, r, i, cell.start);
        }
    }
    QTextTableFormat format = table.format();
    if (int(edges.size()) == table.columns()) {
        QList<QTextLength> widths;
        int left = 0;
        for (const int edge : edges) {
            widths.append(QTextLength(QTextLength::FixedLength, std::max(edge - left, 15) / 15.0));
            left = edge;
        }
        format.setColumnWidthConstraints(widths);
    }
    bool borders = false;
    bool allRound = true;
    for (int r = 0; r < int(placed.size()) && r < table.rows(); ++r) {
        for (const Placed& cell : placed[r]) {
            borders = borders || cell.def.borders != 0;
            allRound = allRound && cell.def.borders == kRtfCellBorderAll;
            if (const QColor shade = colour(cell.def.shading); shade.isValid()) {
                QTextTableCell target = table.cellAt(r, cell.start);
                QTextCharFormat cellFormat = target.format();
                cellFormat.setBackground(shade);
                target.setFormat(cellFormat);
            }
        }
    }
    if (borders) {
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    }
    // Lines on some sides only: each cell keeps its own, so a save does not draw the rest.
    if (borders && !allRound) {
        for (int r = 0; r < int(placed.size()) && r < table.rows(); ++r) {
            for (const Placed& cell : placed[r]) {
                QTextTableCell target = table.cellAt(r, cell.start);
                QTextCharFormat cellFormat = target.format();
                cellFormat.setProperty(kRtfCellBordersProperty, cell.def.borders);
                target.setFormat(cellFormat);
            }
        }
    }
    table.setFormat(format);
    // Merges: wide cells and \clmgf/\clmrg across first, then \clvmgf/\clvmrg down.
    for (int r = 0; r < int(placed.size()) && r < table.rows(); ++r) {
        const std::vector<Placed>& row = placed[r];
        for (int i = 0; i < int(row.size()); ++i) {
            if (row[i].def.mergedLeft)
                continue;
            int span = row[i].span;
            for (int j = i + 1; j < int(row.size()) && row[j].def.mergedLeft; ++j)
                span = row[j].start + row[j].span - row[i].start;
            span = std::min(span, table.columns() - row[i].start);
            if (span > 1)
                table.mergeCells(r, row[i].start, 1, span);
        }
    }
    const auto cellAtColumn = [&placed](int r, int column) -> const Placed* {
        for (const Placed& cell : placed[r]) {
            if (cell.start == column)
                return &cell;
        }
        return nullptr;
    };
    for (int r = 0; r < int(placed.size()) && r < table.rows(); ++r) {
        for (const Placed& cell : placed[r]) {
            if (!cell.def.mergeTop)
                continue;
            int span = 1;
            while (r + span < int(placed.size()) && r + span < table.rows()) {
                const Placed* below = cellAtColumn(r + span, cell.start);
                if (!below || !below->def.mergedAbove)
                    break;
                ++span;
            }
            if (span > 1 && table.cellAt(r, cell.start).row() == r)
                table.mergeCells(r, cell.start, span, table.cellAt(r, cell.start).columnSpan());
        }
    }
}

} // namespace pemmo::formats::rtf
