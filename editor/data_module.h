#pragma once
// The data module: the two client datasets that hold the tables and the data
// source that feeds the main window's grid. It has no visible part.

#include <QObject>
#include <memory>

#include "platform/dataset/client_dataset.h"
#include "platform/ui/data_source.h"

class Tdm1 : public QObject {
    Q_OBJECT
  public:
    explicit Tdm1(QObject* parent = nullptr);
    ~Tdm1() override;

    // Every new and every opened table is built in cdsQMT1; a restructure builds
    // into whichever of the two is not shown.
    TClientDataSet* cdsQMT1;
    TDataSource* dsQMT;
    TClientDataSet* cdsQMT2;

  private:
    std::unique_ptr<TClientDataSet> table1_;
    std::unique_ptr<TClientDataSet> table2_;
};

extern Tdm1* dm1;
