#pragma once
// The data source between a dataset and the data-aware controls: it forwards
// the dataset's change notifications to them.

#include <QObject>

#include "platform/dataset/client_dataset.h"

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject* parent = nullptr);
    ~TDataSource() override;
    TClientDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TClientDataSet* ds);  // nullptr detaches

signals:
    void dataEvent(TDataEvent e);   // any notification of the dataset
    void dataSetChanged();          // another dataset (or none) was set

private:
    TClientDataSet* dataSet_ = nullptr;
    int listenerId_ = 0;
};
