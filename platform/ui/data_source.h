#pragma once
// The data source between a dataset and the data-aware controls: it forwards
// the dataset's change notifications to them, and lets a control that holds
// typed but not yet stored text (the grid's cell editor) hand it to the field
// before a record is posted or left by another control (the navigator).
//
// The dataset must outlive the source, or the source must be detached
// (SetDataSet(nullptr)) before the dataset goes away.

#include <QObject>
#include <functional>

#include "platform/core/subscription.h"
#include "platform/dataset/client_dataset.h"

class QWidget;

class TDataSource : public QObject {
    Q_OBJECT
  public:
    explicit TDataSource(QObject* parent = nullptr);
    ~TDataSource() override;
    TClientDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TClientDataSet* ds);  // nullptr detaches
    // The dataset is set and open.
    bool Active() const { return dataSet_ && dataSet_->Active(); }

    // Controls that keep pending text register a handler that stores it into
    // the current record's fields, for as long as they keep the returned
    // subscription; UpdateRecord runs them all. A handler may raise (a hook
    // refusing the text); the exception reaches the caller, which then must
    // not go on with its post or move.
    TSubscription AddUpdateHandler(std::function<void()> handler);
    void UpdateRecord();

  signals:
    void dataEvent(TDataEvent e);  // any notification of the dataset
    void dataSetChanged();         // another dataset (or none) was set

  private:
    TClientDataSet* dataSet_ = nullptr;
    TSubscription listener_;  // to dataSet_
    TSignal<> updateHandlers_;
};

// Asks the user whether the current record shall be deleted; false when no
// application object exists to ask.
bool ConfirmRecordDelete(QWidget* parent);
// Deletes the current record. An inserted record is only abandoned; an edited
// one is deleted without storing its changes first.
void DeleteCurrentRecord(TClientDataSet& ds);
