#include "ui/GridDrag.h"

#include "core/ScanEngine.h"
#include "core/SharpIcon.h"
#include "export/DragFiles.h"
#include "export/GroupPng.h"
#include "platform/pixels/DrawIcon.h"
#include "ui/DrawGrid.h"
#include "ui/ErrorGuard.h"

#include <QBuffer>
#include <QDrag>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace orbisk {

namespace {

const QString UriListFormat = QStringLiteral("text/uri-list");
const QString PngFormat = QStringLiteral("image/png");

// What a drag's job makes, handed over through its gate.
struct DragPayload {
    std::mutex mutex;
    std::condition_variable made;
    bool pngMade = false;
    QByteArray png;
    bool filesMade = false;
    std::vector<std::string> files;
};

QByteArray PngBytes(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    return png;
}

// The bytes of a path, whatever its encoding, as a file URL.
QUrl FileUrl(const std::string& path)
{
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

// The data of one drag: both formats are offered from the start and made
// by the drag's job; a request waits for them at most RetrieveWait and
// gets nothing while they are not made.
class TDragMimeData : public QMimeData {
public:
    TDragMimeData(std::shared_ptr<DragPayload> payload, Job job)
        : payload_(std::move(payload))
        , job_(std::move(job))
    {
    }
    // Files a target did not ask for need not be written to the end: the
    // job is cancelled and nothing waits for it.
    ~TDragMimeData() override { job_.Release(); }

    QStringList formats() const override { return { UriListFormat, PngFormat }; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType) const override
    {
        const bool files = mimeType == UriListFormat;
        if (!files && mimeType != PngFormat)
            return {};
        std::unique_lock lock(payload_->mutex);
        const bool& made = files ? payload_->filesMade : payload_->pngMade;
        if (!payload_->made.wait_for(lock, TGridDrag::RetrieveWait, [&] { return made; }))
            return {};
        if (!files)
            return payload_->png.isEmpty() ? QVariant() : QVariant(payload_->png);
        QVariantList urls;
        for (const std::string& path : payload_->files)
            urls << FileUrl(path);
        return urls.isEmpty() ? QVariant() : QVariant(urls);
    }

private:
    std::shared_ptr<DragPayload> payload_;
    Job job_;
};

QString Count(std::size_t n) { return QLocale(QLocale::English).toString(qulonglong(n)); }

} // namespace

TGridDrag::TGridDrag(TDrawGrid& grid, ScanEngine& engine, StatusText status)
    : grid_(grid)
    , engine_(engine)
    , status_(std::move(status))
{
    const std::string parent = DragFolderParent();
    folder_ = std::make_shared<DragFolder>(parent);
    try {
        cleanup_ = Job([parent](JobControl&) { RemoveStaleDragFolders(parent); });
    } catch (const std::exception&) {
        // Without a thread the folders wait for the next start.
    }
    start_ = [this](std::unique_ptr<QMimeData> data, const QPixmap& pixmap) {
        // Qt deletes the drag, with its data, once it is over.
        auto* drag = new QDrag(&grid_);
        drag->setMimeData(data.release());
        if (!pixmap.isNull()) {
            drag->setPixmap(pixmap);
            drag->setHotSpot(QPoint(pixmap.width() / 2, pixmap.height() / 2));
        }
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    };
    grid_.OnCanDrag = [this](int col, int row) {
        bool can = false;
        Guarded([&] { can = CanDrag(col, row); });
        return can;
    };
    grid_.OnStartDrag = [this] { Guarded([this] { StartDrag(); }); };
}

TGridDrag::~TGridDrag()
{
    grid_.OnCanDrag = nullptr;
    grid_.OnStartDrag = nullptr;
}

bool TGridDrag::CanDrag(int col, int row) const
{
    const TIconList& icons = engine_.Icons();
    const long long index = grid_.CellIndex(col, row);
    return index < (long long)icons.size() && icons[std::size_t(index)].Marked.load(std::memory_order_relaxed);
}

// The icons are copied here, on the window thread: the job sees only the
// copies. A scan may be appending meanwhile: only entries below the count
// read are touched.
void TGridDrag::StartDrag()
{
    const TIconList& list = engine_.Icons();
    const std::size_t count = list.size();
    auto icons = std::make_shared<std::vector<DragIcon>>();
    std::size_t marked = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const IconEntry& entry = list[i];
        if (!entry.Marked.load(std::memory_order_relaxed))
            continue;
        ++marked;
        if (icons->size() == kMaxDragIcons || entry.FileIndex < 0)
            continue;
        std::string path = engine_.FilePath(std::size_t(entry.FileIndex));
        if (!path.empty())
            icons->push_back({ std::move(path), entry.IconIndex, UniqueIcon(CopyIcon(entry.Handle)) });
    }
    if (icons->empty())
        return;
    if (marked > kMaxDragIcons)
        status_(QStringLiteral("Dragging the first %1 of %2 marked icons").arg(Count(kMaxDragIcons), Count(marked)));

    QPixmap pixmap(GridIconPixels, GridIconPixels);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        DrawIconEx(painter, 0, 0, icons->front().shown.get(), GridIconPixels, GridIconPixels, DI_NORMAL);
    }

    auto payload = std::make_shared<DragPayload>();
    // The PNG first: it is one image, and a target that takes an image asks
    // for it at once.
    Job job([icons, payload, folder = folder_](JobControl& control) {
        const DragIcon& first = icons->front();
        const QByteArray png = PngBytes(LargestIconImage(first.path, first.number));
        control.Through([&] {
            const std::lock_guard lock(payload->mutex);
            payload->png = png;
            payload->pngMade = true;
            payload->made.notify_all();
        });
        std::vector<std::string> files;
        if (!control.Cancelled()) {
            if (const auto drag = folder->NewDrag())
                files = WriteDragFiles(*icons, *drag, control.CancelFlag());
        }
        control.Through([&] {
            const std::lock_guard lock(payload->mutex);
            payload->files = std::move(files);
            payload->filesMade = true;
            payload->made.notify_all();
        });
    });
    start_(std::make_unique<TDragMimeData>(std::move(payload), std::move(job)), pixmap);
}

} // namespace orbisk
