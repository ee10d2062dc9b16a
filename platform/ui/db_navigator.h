#pragma once
// The record navigator: ten buttons in the platform's order, VisibleButtons,
// the Hints list, enabled as the dataset's state allows.

#include <QStringList>
#include <QWidget>
#include <set>

class TDataSource;

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };

class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    void SetVisibleButtons(const std::set<TNavigateBtn>& buttons);
    // Entry i is the hint of button i; an empty entry leaves the default hint.
    QStringList Hints() const;
    void SetHints(const QStringList& hints);
    void SetHint(int index, const QString& hint);
    class QAbstractButton* Button(TNavigateBtn b) const;
    void BtnClick(TNavigateBtn b);  // as a click on that button

    struct Impl;

private:
    Impl* d_;
};
