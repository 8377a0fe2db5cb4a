#include "shell/flow_window.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <tuple>

#include "codec/errors.h"
#include "codec/fileio.h"
#include "editors/document.h"
#include "formats/flow_dot.h"
#include "shell/flow_items.h"

namespace {

using vellumark::flow::graph;
using vellumark::flow::node;
using namespace flow_items;

const vellumark::codepage::table& texts_of(const ScriptDocument& doc) {
    const auto* table = doc.codePageTable();
    return table ? *table : vellumark::codepage::get(vellumark::codepage::kDefaultPage);
}

}  // namespace

// ---- the view ---------------------------------------------------------------

void FlowView::zoomBy(double factor) {
    const double now = transform().m11();
    const double wanted = std::clamp(now * factor, 0.02, 8.0);
    scale(wanted / now, wanted / now);
}

void FlowView::fit() {
    if (scene() && !scene()->itemsBoundingRect().isEmpty())
        fitInView(scene()->itemsBoundingRect(), Qt::KeepAspectRatio);
}

void FlowView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    zoomBy(std::pow(1.15, event->angleDelta().y() / 120.0));
    setTransformationAnchor(QGraphicsView::AnchorViewCenter);
    event->accept();
}

void FlowView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        for (QGraphicsItem* item = itemAt(event->position().toPoint()); item; item = item->parentItem()) {
            if (item->data(kSlot).isValid()) {
                const auto* n = dynamic_cast<NodeItem*>(item);
                const int line = n ? n->lineOf(n->rowAt(mapToScene(event->position().toPoint()))) : -1;
                vellumark::place where{vellumark::place::area::slot, {}, item->data(kSlot).toInt(), line};
                emit clicked(where);
                event->accept();
                return;
            }
            if (item->data(kLevel).isValid()) {
                emit clicked({vellumark::place::area::table, vellumark::table_id::level_names,
                              item->data(kLevel).toInt()});
                event->accept();
                return;
            }
        }
    }
    QGraphicsView::mousePressEvent(event);
}

// ---- the window ---------------------------------------------------------------

GameFlowWindow::GameFlowWindow(ScriptDocument& doc, QWidget* parent) : QWidget(parent, Qt::Window), doc_(doc) {
    setObjectName(QStringLiteral("GameFlowWindow"));
    setWindowTitle(QStringLiteral("Game flow"));
    auto* scene = new QGraphicsScene(this);
    // Thousands of items come and go with each picture; a click finds its
    // item among them quickly enough without an index.
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    FlowView1 = new FlowView(scene, this);
    FlowView1->setObjectName(QStringLiteral("FlowView1"));
    FlowView1->setRenderHint(QPainter::Antialiasing);
    FlowView1->setBackgroundBrush(Qt::white);
    Message = new QLabel(this);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setWordWrap(true);
    Message->hide();
    ZoomIn = new QPushButton(QStringLiteral("Zoom in"), this);
    ZoomOut = new QPushButton(QStringLiteral("Zoom out"), this);
    Fit = new QPushButton(QStringLiteral("Fit"), this);
    ZoomIn->setObjectName(QStringLiteral("ZoomIn"));
    ZoomOut->setObjectName(QStringLiteral("ZoomOut"));
    Fit->setObjectName(QStringLiteral("Fit"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ZoomIn);
    buttons->addWidget(ZoomOut);
    buttons->addWidget(Fit);
    buttons->addStretch();
    auto* column = new QVBoxLayout(this);
    column->addLayout(buttons);
    column->addWidget(Message);
    column->addWidget(FlowView1, 1);
    resize(520, 640);

    connect(ZoomIn, &QPushButton::clicked, this, [this] { FlowView1->zoomBy(1.25); });
    connect(ZoomOut, &QPushButton::clicked, this, [this] { FlowView1->zoomBy(0.8); });
    connect(Fit, &QPushButton::clicked, FlowView1, &FlowView::fit);
    for (const QKeySequence& key : {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this] { FlowView1->zoomBy(1.25); });
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this, [this] { FlowView1->zoomBy(0.8); });
    connect(FlowView1, &FlowView::clicked, this, &GameFlowWindow::goTo);

    // Every change of the document changes the picture; one layout follows
    // the changes of a short while.
    debounce_.setSingleShot(true);
    debounce_.setInterval(10);
    connect(&debounce_, &QTimer::timeout, this, &GameFlowWindow::startLayout);
    for (auto signal : {&ScriptDocument::reset, &ScriptDocument::flagsChanged, &ScriptDocument::demoLevelsChanged})
        connect(&doc_, signal, this, &GameFlowWindow::schedule);
    connect(&doc_, &ScriptDocument::entriesReplaced, this, &GameFlowWindow::schedule);
    connect(&doc_, &ScriptDocument::entryMoved, this, &GameFlowWindow::schedule);
    connect(&doc_, &ScriptDocument::slotsReplaced, this, &GameFlowWindow::schedule);
    connect(&doc_, &ScriptDocument::slotMoved, this, &GameFlowWindow::schedule);
    connect(&doc_, &ScriptDocument::movieRecordsChanged, this, &GameFlowWindow::schedule);
    connect(&doc_, &ScriptDocument::codePageChanged, this, &GameFlowWindow::schedule);
}

GameFlowWindow::~GameFlowWindow() {
    if (worker_) {
        worker_->disconnect(this);
        worker_->wait();
    }
    stopParts();
}

void GameFlowWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    schedule();
}

void GameFlowWindow::schedule() {
    last_change_.start();
    if (isVisible()) debounce_.start();
}

void GameFlowWindow::startLayout() {
    if (busy_) {  // one layout at a time; the next follows this one
        pending_ = true;
        return;
    }
    busy_ = true;
    pending_ = false;
    auto work = std::make_shared<job>();
    work->record = doc_.record();
    work->texts = &texts_of(doc_);
    job_ = work;
    worker_ = QThread::create([work] {
        try {
            work->graph = vellumark::flow::build_graph(work->record, *work->texts);
            for (const auto& part : vellumark::flow::split_graph(work->graph))
                work->parts.push_back(vellumark::flow::dot_text(part));
        } catch (const std::exception& e) {
            work->failure = e.what();
        }
        work->record = {};
    });
    connect(worker_, &QThread::finished, this, &GameFlowWindow::graphMade);
    connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
    worker_->start();
}

void GameFlowWindow::graphMade() {
    if (!job_->failure.empty()) {
        showMessage(qs(vellumark::error_box_text(job_->failure)));
        return;
    }
    // The parts two at a time: two dot processes keep two cores busy.
    started_ = done_ = 0;
    failed_ = false;
    job_->layouts.assign(job_->parts.size(), {});
    while (started_ < job_->parts.size() && dots_.size() < 2) runPart();
}

void GameFlowWindow::stopParts() {
    for (const QPointer<QProcess>& p : dots_) {
        if (!p) continue;
        p->disconnect(this);
        p->kill();
        p->waitForFinished(1000);
        p->deleteLater();
    }
    dots_.clear();
}

void GameFlowWindow::partFailed(const QString& text) {
    if (failed_) return;
    failed_ = true;
    stopParts();
    showMessage(text);
}

void GameFlowWindow::runPart() {
    const std::size_t index = started_++;
    const std::string& dot = job_->parts[index];
    auto* process = new QProcess(this);
    dots_.emplace_back(process);
    connect(process, &QProcess::finished, this, [this, process, index] { partFinished(process, index); });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;  // a crash ends in finished()
        std::erase(dots_, process);
        process->deleteLater();
        partFailed(qs(std::string(vellumark::flow::kDotMissing)) + QLatin1Char('.'));
    });
    process->start(QStringLiteral("dot"), {QStringLiteral("-Tplain")});
    process->write(dot.data(), qint64(dot.size()));
    process->closeWriteChannel();
}

void GameFlowWindow::partFinished(QProcess* process, std::size_t index) {
    std::erase(dots_, process);
    process->deleteLater();
    const QByteArray out = process->readAllStandardOutput();
    if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0 || out.isEmpty()) {
        partFailed(qs(vellumark::error_box_text(vellumark::flow::dot_failed_message(
            process->readAllStandardError().toStdString(), process->exitCode()))));
        return;
    }
    job_->layouts[index].assign(out.constData(), std::size_t(out.size()));
    ++done_;
    if (started_ < job_->parts.size()) runPart();
    if (done_ < job_->parts.size()) return;
    // dot's answers read and joined in a thread of their own too.
    auto work = job_;
    worker_ = QThread::create([work] {
        try {
            std::vector<vellumark::flow::layout> placed;
            for (const std::string& text : work->layouts) placed.push_back(vellumark::flow::parse_plain(text));
            for (const node& n : work->graph.nodes) work->by_id[n.id] = &n;
            work->joined = placed.size() == 1 ? std::move(placed.front())
                                              : vellumark::flow::join_layouts(work->graph, placed);
        } catch (const std::exception& e) {
            work->failure = e.what();
        }
        work->layouts.clear();
        work->parts.clear();
    });
    connect(worker_, &QThread::finished, this, [this] {
        if (!job_->failure.empty())
            showMessage(qs(vellumark::error_box_text(job_->failure)));
        else
            draw(std::move(job_->joined));
    });
    connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
    worker_->start();
}

void GameFlowWindow::showMessage(const QString& text) {
    Message->setText(text);
    Message->show();
    finished();
}

void GameFlowWindow::finished() {
    busy_ = false;
    emit laidOut();
    if (pending_) startLayout();
}

QPointF GameFlowWindow::rowCentre(const QString& node, int row) const {
    const auto it = rows_.find(node);
    if (it == rows_.end() || row < 0 || row >= it->second.second) return {};
    const QRectF box = it->second.first;
    const double h = box.height() / it->second.second;
    return {box.center().x(), box.top() + h * (row + 0.5)};
}

void GameFlowWindow::draw(vellumark::flow::layout placed) {
    // The picture goes to a new scene; the old one is taken down a few
    // thousand items at a pass, as the new one is drawn.
    QGraphicsScene* old = FlowView1->scene();
    const QPointF centre = FlowView1->mapToScene(FlowView1->viewport()->rect().center());
    auto* scene = new QGraphicsScene(this);
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    retiring_.push_back({old, std::move(top_items_)});
    top_items_.clear();
    // What the old picture held is freed in a thread of its own.
    auto old_data = std::make_shared<std::tuple<graph, vellumark::flow::layout, decltype(by_id_), decltype(rows_)>>(
        std::move(shown_), std::move(drawing_), std::move(by_id_), std::move(rows_));
    QThread* freeing = QThread::create([data = std::move(old_data)]() mutable { data.reset(); });
    connect(freeing, &QThread::finished, freeing, &QObject::deleteLater);
    freeing->start();
    rows_.clear();
    Message->hide();
    shown_ = std::move(job_->graph);
    by_id_ = std::move(job_->by_id);  // its pointers lead into the nodes' vector, which moved whole
    job_.reset();
    drawing_ = std::move(placed);
    drawn_nodes_ = drawn_edges_ = 0;
    scene->setSceneRect(QRectF(0, 0, drawing_.width, drawing_.height).adjusted(-4, -4, 4, 4));
    FlowView1->setScene(scene);
    FlowView1->centerOn(centre);
    if (!fitted_) {
        fitted_ = true;
        // The first picture as wide as the window at most, from its top.
        const double room = FlowView1->viewport()->width() - 8;
        const double factor = std::min(1.0, room / std::max(drawing_.width, 1.0));
        FlowView1->resetTransform();
        FlowView1->scale(factor, factor);
        FlowView1->centerOn(drawing_.width / 2, 0);
    }
    QTimer::singleShot(0, this, &GameFlowWindow::drawSome);
}

void GameFlowWindow::drawSome() {
    // A pass draws this many nodes or edges, well within a frame.
    constexpr std::size_t kNodesAtOnce = 400, kEdgesAtOnce = 2000;
    constexpr qint64 kPassNs = 6'000'000;
    QGraphicsScene* scene = FlowView1->scene();
    const auto& placed = drawing_;
    const auto& by_id = by_id_;
    QElapsedTimer pass;  // a pass ends after a few milliseconds
    pass.start();
    while (!retiring_.empty() && pass.nsecsElapsed() < kPassNs / 2) {
        auto& [old, items] = retiring_.front();
        while (!items.empty() && pass.nsecsElapsed() < kPassNs / 2) {
            delete items.back();
            items.pop_back();
        }
        if (!items.empty()) break;
        delete old;
        retiring_.erase(retiring_.begin());
    }

    QFont font = FlowView1->font();
    font.setFamily(QStringLiteral("Helvetica"));
    font.setPixelSize(10);  // the scene counts in points, as dot does
    QFont bold = font;
    bold.setBold(true);

    const std::size_t nodes_end = std::min(placed.nodes.size(), drawn_nodes_ + kNodesAtOnce);
    for (; drawn_nodes_ < nodes_end && pass.nsecsElapsed() < kPassNs; ++drawn_nodes_) {
        const auto& p = placed.nodes[drawn_nodes_];
        const auto found = by_id.find(p.id);
        if (found == by_id.end()) continue;
        const node& n = *found->second;
        const QRectF box(p.x - p.width / 2, p.y - p.height / 2, p.width, p.height);
        const int count = 1 + (n.file.empty() ? 0 : 1) + int(n.events.size());
        rows_[qs(n.id)] = {box, count};

        auto* item = new NodeItem(n, box, font, bold);
        scene->addItem(item);
        top_items_.push_back(item);
    }

    const std::size_t edges_end =
        drawn_nodes_ < placed.nodes.size() ? drawn_edges_ : std::min(placed.edges.size(), drawn_edges_ + kEdgesAtOnce);
    for (; drawn_edges_ < edges_end && pass.nsecsElapsed() < kPassNs; ++drawn_edges_) {
        const auto& e = placed.edges[drawn_edges_];
        if (e.points.size() < 4) continue;
        QPainterPath path(QPointF(e.points[0].first, e.points[0].second));
        for (std::size_t i = 1; i + 2 < e.points.size(); i += 3)
            path.cubicTo(e.points[i].first, e.points[i].second, e.points[i + 1].first, e.points[i + 1].second,
                         e.points[i + 2].first, e.points[i + 2].second);
        // The arrowhead: from the spline's end on towards the node, as dot
        // leaves room for it.
        const QPointF end(e.points.back().first, e.points.back().second);
        const QPointF before(e.points[e.points.size() - 2].first, e.points[e.points.size() - 2].second);
        QPointF dir = end - before;
        const double length = std::hypot(dir.x(), dir.y());
        QPolygonF head;
        if (length > 0) {
            dir /= length;
            const QPointF normal(-dir.y(), dir.x());
            head = QPolygonF({end + dir * 7, end + normal * 2.5, end - normal * 2.5});
        }
        auto* item = new EdgeItem(path, head, e.dashed);
        scene->addItem(item);
        top_items_.push_back(item);
    }
    if (drawn_nodes_ < placed.nodes.size() || drawn_edges_ < placed.edges.size() || !retiring_.empty()) {
        QTimer::singleShot(0, this, &GameFlowWindow::drawSome);
        return;
    }
    latency_ = pending_ || debounce_.isActive() ? -1 : last_change_.elapsed();
    finished();
}

void GameFlowWindow::exportPicture(const vellumark::Ttombpcdat& doc, const vellumark::codepage::table& cp,
                                   const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext != QLatin1String("svg") && ext != QLatin1String("png"))
        throw vellumark::script_error("A game flow picture is written as SVG or PNG: give a name ending in .svg or .png");
    const std::string picture =
        vellumark::flow::run_dot(vellumark::flow::dot_text(vellumark::flow::build_graph(doc, cp)), ext.toStdString());
    const QByteArray name = QFile::encodeName(path);
    vellumark::atomic_write_file(std::string(name.constData(), std::size_t(name.size())),
                                 {reinterpret_cast<const std::uint8_t*>(picture.data()), picture.size()});
}
