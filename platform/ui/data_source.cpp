#include "platform/ui/data_source.h"

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

TDataSource::~TDataSource() {
    if (dataSet_ && listenerId_) dataSet_->RemoveListener(listenerId_);
}

void TDataSource::SetDataSet(TClientDataSet* ds) {
    if (ds == dataSet_) return;
    if (dataSet_ && listenerId_) dataSet_->RemoveListener(listenerId_);
    listenerId_ = 0;
    dataSet_ = ds;
    if (dataSet_) listenerId_ = dataSet_->AddListener([this](TDataEvent e) { emit dataEvent(e); });
    emit dataSetChanged();
}

int TDataSource::AddUpdateHandler(std::function<void()> handler) {
    int id = nextUpdateId_++;
    updateHandlers_.emplace_back(id, std::move(handler));
    return id;
}

void TDataSource::RemoveUpdateHandler(int id) {
    std::erase_if(updateHandlers_, [id](const auto& h) { return h.first == id; });
}

void TDataSource::UpdateRecord() {
    // A copy: a handler may register or remove handlers while it runs.
    auto handlers = updateHandlers_;
    for (auto& h : handlers) h.second();
}

bool ConfirmRecordDelete(QWidget* parent) {
    return Application != nullptr &&
           Application->Confirm(QString::fromUtf8(Msg::ConfirmCaption),
                                QString::fromUtf8(Msg::DeleteRecordQuestion), parent);
}

void DeleteCurrentRecord(TClientDataSet& ds) {
    if (ds.State() == dsInsert) {
        ds.Cancel();
        return;
    }
    if (ds.State() == dsEdit) ds.Cancel();
    ds.Delete();
}
