#include "editor/data_module.h"

Tdm1* dm1 = nullptr;

Tdm1::Tdm1(QObject* parent)
    : QObject(parent),
      table1_(std::make_unique<TClientDataSet>()),
      table2_(std::make_unique<TClientDataSet>()) {
    setObjectName("dm1");
    cdsQMT1 = table1_.get();
    cdsQMT1->SetName("cdsQMT1");
    // The stored index definition of the design; it names no fields and never
    // takes effect, since every command that builds a table clears it first.
    cdsQMT1->IndexDefs().Add(TIndexDef{"cdsQMT1Index1", "", {}});

    cdsQMT2 = table2_.get();
    cdsQMT2->SetName("cdsQMT2");

    dsQMT = new TDataSource(this);
    dsQMT->setObjectName("dsQMT");
    dsQMT->SetDataSet(cdsQMT2);
}

Tdm1::~Tdm1() {
    // The source listens to a dataset; detach it while both still exist.
    delete dsQMT;
    dsQMT = nullptr;
    if (dm1 == this) dm1 = nullptr;
}
