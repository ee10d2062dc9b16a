#include "platform/ui/data_source.h"

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

TDataSource::~TDataSource() = default;

void TDataSource::SetDataSet(TClientDataSet* ds) {
    if (ds == dataSet_) return;
    listener_.Reset();
    dataSet_ = ds;
    if (dataSet_) listener_ = dataSet_->AddListener([this](TDataEvent e) { emit dataEvent(e); });
    emit dataSetChanged();
}

TSubscription TDataSource::AddUpdateHandler(std::function<void()> handler) {
    return updateHandlers_.Subscribe(std::move(handler));
}

void TDataSource::UpdateRecord() {
    // A handler may register or remove handlers while it runs.
    updateHandlers_.Emit();
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
