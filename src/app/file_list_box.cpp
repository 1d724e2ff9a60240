#include "app/file_list_box.h"

#include "app/release_elsewhere.h"

#include <QAbstractListModel>
#include <QGuiApplication>
#include <QScopeGuard>
#include <thread>
#include <utility>

namespace quiltmap::app {

namespace {

constexpr int rowHeight = 13;

} // namespace

// The listing's names as rows; the list shares them, so showing a listing copies nothing.
class FileListBox::Rows : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void show(const QStringList &names)
    {
        beginResetModel();
        QStringList shown = std::exchange(m_names, names);
        endResetModel();
        releaseElsewhere(m_releasing, std::move(shown));
    }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_names.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_names.size())
            return {};
        if (role == Qt::DisplayRole)
            return m_names.at(index.row());
        // With uniform item sizes every row takes its height from the first.
        if (role == Qt::SizeHintRole && index.row() == 0)
            return QSize(0, rowHeight);
        return {};
    }

private:
    QStringList m_names;
    std::jthread m_releasing;
};

FileListBox::FileListBox(QWidget *parent)
    : QListView(parent)
    , m_rows(new Rows(this))
{
    setModel(m_rows);
    setUniformItemSizes(true);
    m_listing.setBusyHooks({
        [this] {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            m_busyPointer = true;
        },
        [this] {
            if (m_busyPointer)
                QGuiApplication::restoreOverrideCursor();
            m_busyPointer = false;
        },
    });
}

bool FileListBox::ApplyFilePath(const QString &text, const std::function<bool()> &whileWaiting)
{
    return readAndShow([&] {
        m_listing.enter(text);
        return m_listing.reread(whileWaiting);
    });
}

bool FileListBox::Update(const std::function<bool()> &whileWaiting)
{
    return readAndShow([&] { return m_listing.reread(whileWaiting); });
}

// The rows follow the listing also when reading failed half-way or was abandoned.
bool FileListBox::readAndShow(const std::function<bool()> &read)
{
    const auto show = qScopeGuard([this] { m_rows->show(m_listing.names()); });
    return read();
}

} // namespace quiltmap::app
