// The game flow window ("Other Command" > "Game flow..."): the picture of
// what the game plays, laid out by Graphviz's dot run as a separate process
// and drawn with graphics items that can be clicked. It follows the document:
// edits in quick succession start one layout, read back without blocking.
#pragma once

#include <QElapsedTimer>
#include <QGraphicsView>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <QThread>

#include "codec/check.h"
#include "formats/flow_dot.h"
#include "formats/flow_graph.h"

class Dialogs;
class QLabel;
class QPushButton;
class ScriptDocument;

// The picture: Ctrl+wheel zooms, a click on a node or an event says where
// it leads.
class FlowView : public QGraphicsView {
    Q_OBJECT
public:
    using QGraphicsView::QGraphicsView;
    void zoomBy(double factor);
    void fit();

signals:
    void clicked(const vellumark::place& where);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

class GameFlowWindow : public QWidget {
    Q_OBJECT
public:
    GameFlowWindow(ScriptDocument& doc, QWidget* parent = nullptr);
    ~GameFlowWindow() override;

    FlowView* view() const { return FlowView1; }
    // The message shown instead of the picture ("dot" missing or failed);
    // hidden otherwise.
    QLabel* message() const { return Message; }
    // The graph of the picture shown, and the milliseconds from the last
    // change of the document to the picture.
    const vellumark::flow::graph& shown() const { return shown_; }
    qint64 lastLatency() const { return latency_; }
    // The scene position of the centre of a node's row: 0 the title, then
    // the file (when it has one) and the events. Null when not drawn.
    QPointF rowCentre(const QString& node, int row) const;

    // Writes the picture of the document as SVG or PNG by the name's
    // extension, through dot; throws vellumark::script_error.
    static void exportPicture(const vellumark::Ttombpcdat& doc, const vellumark::codepage::table& cp,
                              const QString& path);

signals:
    void goTo(const vellumark::place& where);
    // A new picture is drawn, or the message shown.
    void laidOut();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void schedule();
    void startLayout();
    void graphMade();
    void runPart();
    void partFinished(QProcess* process, std::size_t index);
    void partFailed(const QString& text);
    void stopParts();
    void showMessage(const QString& text);
    // Draws the layout a few hundred items at a pass of the event loop.
    void draw(vellumark::flow::layout placed);
    void drawSome();
    void finished();

    ScriptDocument& doc_;
    FlowView* FlowView1 = nullptr;
    QLabel* Message = nullptr;
    QPushButton* ZoomIn = nullptr;
    QPushButton* ZoomOut = nullptr;
    QPushButton* Fit = nullptr;
    QTimer debounce_;
    std::vector<QPointer<QProcess>> dots_;  // the dot processes running
    std::size_t started_ = 0, done_ = 0;    // parts given to dot, parts laid out
    bool failed_ = false;                   // a part failed: the others are stopped
    bool busy_ = false;             // dot runs, or the picture is being drawn
    bool pending_ = false;          // the document changed meanwhile
    bool fitted_ = false;           // the first picture is fitted to the window
    QElapsedTimer last_change_;     // since the last change of the document
    qint64 latency_ = -1;
    // The graph dot lays out, and the DOT of its parts, made in a thread of
    // their own from a copy of the record.
    struct job {
        vellumark::Ttombpcdat record;
        const vellumark::codepage::table* texts = nullptr;
        vellumark::flow::graph graph;
        std::vector<std::string> parts;
        std::vector<std::string> layouts;  // dot's answers, part by part
        vellumark::flow::layout joined;
        std::map<std::string, const vellumark::flow::node*> by_id;  // the nodes of graph
        std::string failure;  // what went wrong, if anything did
    };
    std::shared_ptr<job> job_;
    QPointer<QThread> worker_;
    std::vector<QGraphicsItem*> top_items_;  // of the scene shown: the nodes, edges and arrowheads
    // Scenes of earlier pictures, with the items still to delete.
    std::vector<std::pair<QGraphicsScene*, std::vector<QGraphicsItem*>>> retiring_;
    vellumark::flow::layout drawing_;              // the layout being drawn
    std::size_t drawn_nodes_ = 0, drawn_edges_ = 0;
    std::map<std::string, const vellumark::flow::node*> by_id_;  // the nodes of shown_
    vellumark::flow::graph shown_;
    std::map<QString, std::pair<QRectF, int>> rows_;  // node -> its box, its rows
};
