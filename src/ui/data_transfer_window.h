// data_transfer_window.h --- the transfer window Tfrmbdedatatrans ("data transfer"): the
// source's plots to tick, the destination with its backup and its plots, the key check
// lists with their wait for "go on", and the copy. A thin view over
// transfer::TransferSession.
#pragma once

#include "app/dialogs.h"
#include "db/connection.h"
#include "transfer/transfer_session.h"

#include <QWidget>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace ui {

class Tfrmbdedatatrans : public QWidget {
    Q_OBJECT
public:
    // `connection` is the shared connection (the source); language "D" shows German
    // captions.
    Tfrmbdedatatrans(std::optional<db::Connection>& connection, app::Dialogs& dialogs,
                     const std::string& language, QWidget* parent = nullptr);

    // The buttons and the message list's double click; public for tests.
    void press_select_destination();
    void press_copy();
    void press_go_on();
    void press_check(const QString& caption); // "all", "none", "invert"
    void activate_message(int row);

    QListWidget* plot_list() const { return plots_; }
    QListWidget* message_list() const { return messages_; }
    QTableWidget* destination_grid() const { return grid_; }
    QLabel* destination_label() const { return destination_; }
    QCheckBox* no_wait_box() const { return no_wait_; }
    QPushButton* button(const std::string& name) const;
    transfer::TransferSession& session() { return session_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void fill_plot_list();
    void refresh();
    template <class F> void guarded(F&& f);

    transfer::TransferSession session_;
    app::Dialogs& dialogs_;
    QListWidget* plots_ = nullptr;
    QListWidget* messages_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLabel* destination_ = nullptr;
    QCheckBox* no_wait_ = nullptr;
    QPushButton *select_ = nullptr, *copy_ = nullptr, *go_on_ = nullptr, *end_ = nullptr;
    QPushButton *all_ = nullptr, *none_ = nullptr, *invert_ = nullptr;
};

} // namespace ui
