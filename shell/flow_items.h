// The items of the game flow picture: a node drawing its own rows (thousands
// of nodes are too many for an item per row and text), an edge with its
// arrowhead. Used by the game flow window only.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsPathItem>
#include <QGraphicsSceneHoverEvent>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <string>
#include <vector>

#include "formats/flow_graph.h"

namespace flow_items {

using vellumark::flow::node;

inline QString qs(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// Where an item leads: the keys of its data.
enum row_key { kSlot = 0, kLine = 1, kLevel = 2 };

// One node: the title, the file (when there is one), the events.
class NodeItem : public QGraphicsItem {
public:
    struct row {
        QString text;     // elided to the node's width
        QString tip;      // the warning, or the whole text when elided; may be empty
        int line = -1;    // the command line it leads to
        bool red = false;
    };

    NodeItem(const node& n, const QRectF& box, const QFont& font, const QFont& bold)
        : box_(box), font_(font), bold_(bold), red_(n.red()) {
        setAcceptHoverEvents(true);
        if (n.slot >= 0) {
            setData(kSlot, n.slot);
            setData(kLine, -1);
        } else {
            setData(kLevel, QString::fromStdString(n.id.substr(1)).toInt());
        }
        row_tip_ = qs(n.red() ? n.warnings() : n.title);
        setToolTip(row_tip_);
        const QFontMetricsF plain(font), strong(bold);
        const auto add = [&](const std::string& text, bool title, const std::string& warning, int line) {
            const QString whole = qs(text);
            const QString shown = (title ? strong : plain).elidedText(whole, Qt::ElideRight, box.width() - 5);
            rows_.push_back({shown, !warning.empty() ? qs(warning) : shown != whole ? whole : QString(), line,
                             !warning.empty() || (title && n.red())});
        };
        add(n.title, true, {}, -1);
        if (!n.file.empty()) add(n.file, false, {}, -1);
        for (const auto& e : n.events) add(e.text, false, e.warning, e.line);
    }

    QRectF boundingRect() const override { return box_.adjusted(-1.5, -1.5, 1.5, 1.5); }

    // The row at a scene position, -1 outside.
    int rowAt(const QPointF& at) const {
        if (!box_.contains(at) || rows_.empty()) return -1;
        return std::clamp(int((at.y() - box_.top()) / rowHeight()), 0, int(rows_.size()) - 1);
    }
    int lineOf(int row) const { return row < 0 ? -1 : rows_[std::size_t(row)].line; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const double h = rowHeight();
        painter->setPen(QPen(Qt::black, 0.75));
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const QRectF cell(box_.left(), box_.top() + h * double(i), box_.width(), h);
            painter->setBrush(i == 0 ? QColor(0xdd, 0xe6, 0xf0) : QColor(Qt::white));
            painter->setPen(QPen(Qt::black, 0.75));
            painter->drawRect(cell);
            painter->setFont(i == 0 ? bold_ : font_);
            painter->setPen(rows_[i].red ? Qt::red : Qt::black);
            // The title and the file centred, the events from the left.
            const bool left = rows_[i].line >= 0;
            painter->drawText(cell.adjusted(3, 0, -2, 0), Qt::AlignVCenter | (left ? Qt::AlignLeft : Qt::AlignHCenter),
                              rows_[i].text);
        }
        if (red_) {
            painter->setBrush(Qt::NoBrush);
            painter->setPen(QPen(Qt::red, 2));
            painter->drawRect(box_);
        }
    }

protected:
    void hoverMoveEvent(QGraphicsSceneHoverEvent* event) override {
        const int row = rowAt(event->scenePos());
        const QString tip = row > 0 ? rows_[std::size_t(row)].tip : QString();
        setToolTip(!tip.isEmpty() ? tip : row_tip_);
    }

private:
    double rowHeight() const { return box_.height() / double(std::max<std::size_t>(rows_.size(), 1)); }

    QRectF box_;
    QFont font_, bold_;
    bool red_ = false;
    std::vector<row> rows_;
    QString row_tip_;  // the node's own tool tip
};

// An edge: its spline and, at its end, the arrowhead.
class EdgeItem : public QGraphicsPathItem {
public:
    EdgeItem(const QPainterPath& path, const QPolygonF& head, bool dashed) : QGraphicsPathItem(path), head_(head) {
        QPen pen(Qt::black, 1);
        if (dashed) pen.setStyle(Qt::DashLine);
        setPen(pen);
    }
    QRectF boundingRect() const override { return QGraphicsPathItem::boundingRect() | head_.boundingRect().adjusted(-1, -1, 1, 1); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override {
        QGraphicsPathItem::paint(painter, option, widget);
        painter->setPen(QPen(Qt::black, 1));
        painter->setBrush(Qt::black);
        painter->drawPolygon(head_);
    }

private:
    QPolygonF head_;
};

}  // namespace flow_items
