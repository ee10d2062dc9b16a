#pragma once
// The About box: program icon, name, version and two lines about the program.

#include <QDialog>
#include <memory>

class QFrame;
class QLabel;
class QPushButton;
namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* Comments;
    QPushButton* OKButton;

  private:
    std::unique_ptr<Ui::TAboutBox> ui_;
};

extern TAboutBox* AboutBox;
