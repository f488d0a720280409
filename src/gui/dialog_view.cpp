#include "gui/dialog_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/fonts.h"

namespace korvane::gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A spin button without a box of its own: an up and a down arrow.
class SpinArrows : public QWidget {
 public:
  explicit SpinArrows(QWidget* parent) : QWidget(parent) {
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
      b->setFixedSize(18, 12);
      b->setAutoRepeat(true);
      box->addWidget(b);
    }
  }
  QToolButton* up;
  QToolButton* down;
};

// Tells a text box's mouse-down handler about a click into the box.
class MouseDownFilter : public QObject {
 public:
  MouseDownFilter(QObject* parent, std::function<void()> onPress) : QObject(parent), onPress_(std::move(onPress)) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonPress) onPress_();
    return false;
  }

 private:
  std::function<void()> onPress_;
};

std::vector<int> SelectedRows(QTreeWidget* tree) {
  std::vector<int> rows;
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    if (tree->topLevelItem(i)->isSelected()) rows.push_back(i);
  return rows;
}

}  // namespace

DialogView::DialogView(shell::DialogModel& model, const DialogLayout& layout, QWidget* parent)
    : QDialog(parent), model_(model) {
  setFont(DialogFont());
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* grid = new QGridLayout(this);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  int fallbackRow = 1000;  // below anything a layout places

  auto placementOf = [&](const std::string& name) -> const Placement* {
    for (const Placement& p : layout.places)
      if (p.control == name) return &p;
    return nullptr;
  };
  auto gridOf = [&](const Placement* p) -> QGridLayout* {
    if (p && !p->parent.empty()) {
      auto it = frameGrids_.find(p->parent);
      if (it != frameGrids_.end()) return it->second;
    }
    return grid;
  };

  // Frames first, so that their children find them.
  for (const auto& c : model_.Controls()) {
    if (c->Kind() != shell::ControlKind::Frame) continue;
    auto* box = new QGroupBox(Q(c->caption), this);
    box->setObjectName(Q(c->Name()));
    auto* inner = new QGridLayout(box);
    frameGrids_[c->Name()] = inner;
    widgets_[c->Name()] = box;
  }
  for (const auto& c : model_.Controls()) {
    QWidget* w = c->Kind() == shell::ControlKind::Frame ? widgets_[c->Name()] : Build(*c);
    if (c->Kind() == shell::ControlKind::OptionButtons) {
      auto& options = static_cast<shell::OptionButtons&>(*c);
      for (int i = 0; i < options.Count(); ++i) {
        std::string key = c->Name() + "#" + std::to_string(i);
        const Placement* p = placementOf(key);
        QGridLayout* g = gridOf(p);
        QWidget* radio = widgets_[key];
        if (p)
          g->addWidget(radio, p->row, p->column, p->rowSpan, p->columnSpan);
        else
          g->addWidget(radio, fallbackRow++, 0, 1, -1);
      }
      continue;
    }
    const Placement* p = placementOf(c->Name());
    QGridLayout* g = gridOf(p);
    if (p) {
      if (p->minWidth) w->setMinimumWidth(p->minWidth);
      if (p->minHeight) w->setMinimumHeight(p->minHeight);
      g->addWidget(w, p->row, p->column, p->rowSpan, p->columnSpan, p->align);
    } else {
      g->addWidget(w, fallbackRow++, 0, 1, -1);
    }
    if (c->Kind() == shell::ControlKind::ListBox) {
      auto it = layout.listHeadings.find(c->Name());
      auto* tree = static_cast<QTreeWidget*>(w);
      if (it != layout.listHeadings.end()) {
        QStringList headings;
        for (const std::string& h : it->second) headings << Q(h);
        tree->setHeaderLabels(headings);
        tree->setHeaderHidden(false);
      }
    }
  }
  for (const auto& [row, stretch] : layout.rowStretch) grid->setRowStretch(row, stretch);
  Sync();
}

QWidget* DialogView::Widget(const std::string& name) const {
  auto it = widgets_.find(name);
  return it == widgets_.end() ? nullptr : it->second;
}

void DialogView::FlushTyping() {
  for (const auto& c : model_.Controls()) {
    if (c->Kind() != shell::ControlKind::TextBox || !c->Usable()) continue;
    auto& box = static_cast<shell::TextBox&>(*c);
    auto* edit = static_cast<QLineEdit*>(widgets_[c->Name()]);
    const std::string typed = edit->text().toStdString();
    if (typed != box.Text()) box.SetText(typed);
  }
}

template <typename F>
void DialogView::Act(F&& action) {
  if (syncing_) return;
  try {
    FlushTyping();
    action();
  } catch (...) {
    // Qt's event loop must not see the exception: keep it, close, rethrow later.
    failure_ = std::current_exception();
    model_.Close();
  }
  Sync();
}

QWidget* DialogView::Build(shell::Control& control) {
  using shell::ControlKind;
  QWidget* w = nullptr;
  switch (control.Kind()) {
    case ControlKind::Button: {
      auto* b = new QPushButton(this);
      // No button answers Enter: Enter ends the typing in a box (its model
      // takes the text) and must not also press 确定 or whichever button
      // happens to follow the box.
      b->setAutoDefault(false);
      b->setDefault(false);
      auto& model = static_cast<shell::Button&>(control);
      connect(b, &QPushButton::clicked, this, [this, &model] {
        Act([&] {
          if (model.Usable()) model.Click();
        });
      });
      w = b;
      break;
    }
    case ControlKind::CheckBox: {
      auto* b = new QCheckBox(this);
      auto& model = static_cast<shell::CheckBox&>(control);
      connect(b, &QCheckBox::clicked, this, [this, &model] {
        Act([&] {
          if (model.Usable()) model.UserClick();
        });
      });
      w = b;
      break;
    }
    case ControlKind::ListBox: {
      auto& model = static_cast<shell::ListBox&>(control);
      auto* tree = new QTreeWidget(this);
      tree->setRootIsDecorated(false);
      tree->setUniformRowHeights(true);
      tree->setColumnCount(std::max(1, model.columnCount));
      tree->setHeaderHidden(true);
      tree->setAllColumnsShowFocus(true);
      tree->setSelectionMode(model.multiSelect ? QAbstractItemView::MultiSelection
                                               : QAbstractItemView::SingleSelection);
      tree->setFont(DialogFont());
      tree->setMinimumSize(120, 120);
      // A press always reaches the model, also on a row already selected (its
      // mouse handlers run on every click).
      auto handled = std::make_shared<bool>(false);
      connect(tree, &QTreeWidget::itemPressed, this, [handled] { *handled = false; });
      connect(tree, &QTreeWidget::itemSelectionChanged, this, [this, tree, &model, handled] {
        if (syncing_) return;
        *handled = true;
        Act([&] { model.UserSelect(SelectedRows(tree)); });
      });
      connect(tree, &QTreeWidget::itemClicked, this, [this, tree, &model, handled] {
        if (*handled) return;
        *handled = true;
        Act([&] { model.UserSelect(SelectedRows(tree)); });
      });
      w = tree;
      break;
    }
    case ControlKind::ComboBox: {
      auto& model = static_cast<shell::ComboBox&>(control);
      auto* combo = new QComboBox(this);
      combo->setEditable(!model.listOnly);
      combo->setFont(DialogFont());
      combo->setMinimumContentsLength(6);
      connect(combo, &QComboBox::activated, this, [this, combo, &model](int index) {
        Act([&] { model.UserChoose(combo->itemText(index).toStdString()); });
      });
      if (combo->lineEdit())
        connect(combo->lineEdit(), &QLineEdit::editingFinished, this, [this, combo, &model] {
          if (combo->currentText().toStdString() != model.Text())
            Act([&] { model.UserChoose(combo->currentText().toStdString()); });
        });
      w = combo;
      break;
    }
    case ControlKind::TextBox: {
      auto& model = static_cast<shell::TextBox&>(control);
      auto* edit = new QLineEdit(this);
      edit->installEventFilter(new MouseDownFilter(edit, [this, &model] {
        Act([&] {
          if (model.Usable() && model.onMouseDown) model.onMouseDown();
        });
      }));
      // A box that only holds text takes every keystroke; a box whose change
      // handler rewrites it (a number with its unit) takes the text when the
      // typing ends: Enter, leaving the box, or any other action in the dialog.
      connect(edit, &QLineEdit::textEdited, this, [this, &model](const QString& text) {
        if (!model.onChange) Act([&] { model.SetText(text.toStdString()); });
      });
      connect(edit, &QLineEdit::editingFinished, this, [this] { Act([] {}); });
      w = edit;
      break;
    }
    case ControlKind::SpinButton: {
      auto& model = static_cast<shell::SpinButton&>(control);
      auto* spin = new SpinArrows(this);
      connect(spin->up, &QToolButton::clicked, this, [this, &model] {
        Act([&] {
          if (model.Usable()) model.UserUp();
        });
      });
      connect(spin->down, &QToolButton::clicked, this, [this, &model] {
        Act([&] {
          if (model.Usable()) model.UserDown();
        });
      });
      w = spin;
      break;
    }
    case ControlKind::OptionButtons: {
      auto& model = static_cast<shell::OptionButtons&>(control);
      for (int i = 0; i < model.Count(); ++i) {
        auto* radio = new QRadioButton(this);
        radio->setAutoExclusive(false);  // the model's groups decide
        connect(radio, &QRadioButton::clicked, this, [this, &model, i] {
          Act([&] {
            if (model.Usable() && model.At(i).enabled && model.At(i).visible) model.UserClick(i);
          });
        });
        std::string key = control.Name() + "#" + std::to_string(i);
        radio->setObjectName(Q(key));
        widgets_[key] = radio;
      }
      w = new QWidget(this);  // the array itself has no widget; its options are placed
      w->hide();
      break;
    }
    case ControlKind::TabStrip: {
      auto& model = static_cast<shell::TabStrip&>(control);
      auto* tabs = new QTabBar(this);
      tabs->setExpanding(false);
      connect(tabs, &QTabBar::currentChanged, this, [this, &model](int index) {
        if (index >= 0) Act([&] { model.SetIndex(index); });
      });
      w = tabs;
      break;
    }
    case ControlKind::Label: {
      auto* label = new QLabel(this);
      label->setWordWrap(true);
      w = label;
      break;
    }
    case ControlKind::Frame: break;
  }
  w->setObjectName(Q(control.Name()));
  widgets_[control.Name()] = w;
  return w;
}

void DialogView::Sync() {
  syncing_ = true;
  setWindowTitle(Q(model_.Caption()));
  using shell::ControlKind;
  for (const auto& c : model_.Controls()) {
    QWidget* w = widgets_[c->Name()];
    if (!w) continue;
    if (c->Kind() != ControlKind::OptionButtons) {
      w->setVisible(c->visible);
      w->setEnabled(c->enabled);
      w->setToolTip(Q(c->tip));
    }
    switch (c->Kind()) {
      case ControlKind::Button: static_cast<QPushButton*>(w)->setText(Q(c->caption)); break;
      case ControlKind::CheckBox: {
        auto* b = static_cast<QCheckBox*>(w);
        b->setText(Q(c->caption));
        b->setChecked(static_cast<shell::CheckBox&>(*c).value);
        break;
      }
      case ControlKind::Label: static_cast<QLabel*>(w)->setText(Q(c->caption)); break;
      case ControlKind::Frame: static_cast<QGroupBox*>(w)->setTitle(Q(c->caption)); break;
      case ControlKind::ListBox: {
        auto& m = static_cast<shell::ListBox&>(*c);
        auto* tree = static_cast<QTreeWidget*>(w);
        bool same = tree->topLevelItemCount() == m.RowCount();
        for (int r = 0; same && r < m.RowCount(); ++r)
          for (int col = 0; same && col < tree->columnCount(); ++col)
            same = tree->topLevelItem(r)->text(col) == Q(m.Cell(r, col));
        if (!same) {
          tree->clear();
          QList<QTreeWidgetItem*> items;
          for (int r = 0; r < m.RowCount(); ++r) {
            QStringList texts;
            for (int col = 0; col < tree->columnCount(); ++col) texts << Q(m.Cell(r, col));
            items << new QTreeWidgetItem(texts);
          }
          tree->addTopLevelItems(items);
          for (int col = 0; col < tree->columnCount(); ++col) tree->resizeColumnToContents(col);
        }
        for (int r = 0; r < m.RowCount(); ++r) tree->topLevelItem(r)->setSelected(m.Selected(r));
        if (m.ListIndex() >= 0 && m.ListIndex() < m.RowCount()) {
          tree->setCurrentItem(tree->topLevelItem(m.ListIndex()), 0, QItemSelectionModel::NoUpdate);
          tree->scrollToItem(tree->topLevelItem(m.ListIndex()));
        }
        break;
      }
      case ControlKind::ComboBox: {
        auto& m = static_cast<shell::ComboBox&>(*c);
        auto* combo = static_cast<QComboBox*>(w);
        bool same = combo->count() == static_cast<int>(m.items.size());
        for (int i = 0; same && i < combo->count(); ++i) same = combo->itemText(i) == Q(m.items[i]);
        if (!same) {
          combo->clear();
          for (const std::string& item : m.items) combo->addItem(Q(item));
        }
        combo->setCurrentIndex(m.ListIndex());
        if (combo->isEditable()) combo->setEditText(Q(m.Text()));
        break;
      }
      case ControlKind::TextBox: {
        auto* edit = static_cast<QLineEdit*>(w);
        QString text = Q(static_cast<shell::TextBox&>(*c).Text());
        if (edit->text() != text) edit->setText(text);
        break;
      }
      case ControlKind::SpinButton: break;
      case ControlKind::OptionButtons: {
        auto& m = static_cast<shell::OptionButtons&>(*c);
        for (int i = 0; i < m.Count(); ++i) {
          auto* radio = static_cast<QRadioButton*>(widgets_[c->Name() + "#" + std::to_string(i)]);
          const auto& o = m.At(i);
          radio->setText(Q(o.caption));
          radio->setChecked(o.value);
          radio->setVisible(c->visible && o.visible);
          radio->setEnabled(c->enabled && o.enabled);
        }
        break;
      }
      case ControlKind::TabStrip: {
        auto& m = static_cast<shell::TabStrip&>(*c);
        auto* tabs = static_cast<QTabBar*>(w);
        while (tabs->count() > static_cast<int>(m.tabs.size())) tabs->removeTab(tabs->count() - 1);
        for (int i = 0; i < static_cast<int>(m.tabs.size()); ++i) {
          if (i < tabs->count())
            tabs->setTabText(i, Q(m.tabs[static_cast<std::size_t>(i)]));
          else
            tabs->addTab(Q(m.tabs[static_cast<std::size_t>(i)]));
        }
        tabs->setCurrentIndex(m.Index());
        break;
      }
    }
  }
  // A frame whose every child is hidden takes no room.
  syncing_ = false;
  if (!model_.IsOpen()) done(QDialog::Accepted);
}

void DialogView::reject() {
  Act([&] { model_.UserCloseBox(); });
}

}  // namespace korvane::gui
