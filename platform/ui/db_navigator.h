#pragma once
// The record navigator: ten buttons in the platform's order, VisibleButtons,
// the Hints list, enabled as the dataset's state allows. Clicks run through
// the application's guard; Delete asks "Datensatz löschen?" first.

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <set>

class QAbstractButton;
class QToolButton;
class TDataSource;

enum TNavigateBtn {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};

class TDBNavigator : public QWidget {
    Q_OBJECT
  public:
    static constexpr int ButtonCount = 10;

    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    std::set<TNavigateBtn> VisibleButtons() const { return visible_; }
    void SetVisibleButtons(const std::set<TNavigateBtn>& buttons);
    // Entry i is the hint of button i; an empty entry leaves the default hint.
    QStringList Hints() const { return hints_; }
    void SetHints(const QStringList& hints);
    void SetHint(int index, const QString& hint);
    // The hint a button has when its entry is empty or missing.
    static QString DefaultHint(TNavigateBtn b);
    QAbstractButton* Button(TNavigateBtn b) const;
    void BtnClick(TNavigateBtn b);  // as a click on that button

    QSize sizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* e) override;

  private:
    void UpdateButtons();  // enabled states from the dataset
    void ApplyHints();
    void LayoutButtons();
    void Run(TNavigateBtn b);

    QPointer<TDataSource> source_;
    QMetaObject::Connection eventConn_, changeConn_, destroyConn_;
    std::array<QToolButton*, ButtonCount> buttons_{};
    std::set<TNavigateBtn> visible_;
    QStringList hints_;
};
