#include "app/RegisterDialogs.h"

#include <algorithm>
#include <utility>

namespace navirt {

std::string NotRegisteredMessage(const std::string& path) { return path + " は設定できませんでした。"; }

namespace {

std::string StemOf(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace

TAppDialogModel::TAppDialogModel(TMenuMaintenance& menu, ProgramTest isProgram)
    : menu_(menu), isProgram_(std::move(isProgram)) {}

void TAppDialogModel::Open(const TIniFile& ini) {
  entries_.clear();
  dropped_.clear();
  for (const AppEntry& e : LoadApplications(ini)) (isProgram_(e.path) ? entries_ : dropped_).push_back(e);
  selected_ = -1;
  pathField.clear();
  nameField.clear();
  menu_.Rebuild(ApplicationMenu(entries_));
}

void TAppDialogModel::PickFile(const std::string& path) {
  pathField = path;
  nameField = StemOf(path);
}

std::string TAppDialogModel::Select(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size())) return "";
  selected_ = index;
  pathField = entries_[index].path;
  nameField = entries_[index].name;
  return pathField;
}

std::string TAppDialogModel::Register() {
  if (!CanRegister()) return "";
  if (!isProgram_(pathField)) return NotRegisteredMessage(pathField);
  entries_.push_back({pathField, nameField});
  menu_.Add(nameField, static_cast<int>(entries_.size()));
  return "";
}

std::string TAppDialogModel::Update() {
  if (!CanRegister() || selected_ < 0) return "";
  // The same test as for a new entry: a path that names no program would
  // only be dropped silently the next time the dialog opens.
  if (!isProgram_(pathField)) return NotRegisteredMessage(pathField);
  entries_[selected_] = {pathField, nameField};
  menu_.Update(nameField, selected_);
  return "";
}

void TAppDialogModel::MoveUp() {
  if (selected_ < 1) return;
  std::swap(entries_[selected_ - 1], entries_[selected_]);
  menu_.MoveUp(selected_);
  --selected_;
}

void TAppDialogModel::MoveDown() {
  if (selected_ < 0 || selected_ + 1 >= static_cast<int>(entries_.size())) return;
  std::swap(entries_[selected_], entries_[selected_ + 1]);
  menu_.MoveDown(selected_);
  ++selected_;
}

void TAppDialogModel::Delete() {
  if (selected_ < 0) return;
  entries_.erase(entries_.begin() + selected_);
  menu_.Delete(selected_);
  --selected_;  // the entry before, none after the first
  pathField.clear();
  nameField.clear();
}

void TAppDialogModel::Close(TIniFile& ini) {
  SaveApplications(ini, entries_);
  menu_.Rebuild(ApplicationMenu(entries_));
}

void TFolderDialogModel::Open(const TIniFile& ini) {
  entries_ = LoadFolders(ini);
  selected_ = -1;
  path_.clear();
  registerEnabled_ = deleteEnabled_ = false;
  // The menu at start leaves gaps for empty entries; during the dialog its
  // positions must be the list's, or a move would swap the wrong items.
  std::vector<MenuItemSpec> items;
  for (size_t i = 0; i < entries_.size(); ++i) items.push_back(NumberedItem(static_cast<int>(i) + 1, entries_[i]));
  menu_.Rebuild(items);
}

void TFolderDialogModel::SetPathField(const std::string& text) {
  path_ = text;
  registerEnabled_ = !text.empty();
}

std::string TFolderDialogModel::Select(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size())) return "";
  selected_ = index;
  registerEnabled_ = deleteEnabled_ = true;
  path_ = entries_[index];
  return path_;
}

bool TFolderDialogModel::Register() {
  if (path_.empty()) return false;
  if (std::find(entries_.begin(), entries_.end(), path_) != entries_.end()) return false;
  entries_.push_back(path_);
  menu_.Add(path_, static_cast<int>(entries_.size()));
  return true;
}

void TFolderDialogModel::MoveUp() {
  if (selected_ < 1) return;
  std::swap(entries_[selected_ - 1], entries_[selected_]);
  menu_.MoveUp(selected_);
  --selected_;
}

void TFolderDialogModel::MoveDown() {
  if (selected_ < 0 || selected_ + 1 >= static_cast<int>(entries_.size())) return;
  std::swap(entries_[selected_], entries_[selected_ + 1]);
  menu_.MoveDown(selected_);
  ++selected_;
}

void TFolderDialogModel::Delete() {
  if (selected_ < 0) return;
  entries_.erase(entries_.begin() + selected_);
  menu_.Delete(selected_);
  --selected_;
  path_.clear();
  registerEnabled_ = false;
  if (selected_ < 0) deleteEnabled_ = false;
}

void TFolderDialogModel::Close(TIniFile& ini) {
  entries_.erase(std::remove(entries_.begin(), entries_.end(), std::string()), entries_.end());
  SaveFolders(ini, entries_);
  menu_.Rebuild(FolderMenu(entries_));
}

void TEditorDialogModel::Open(const TIniFile& ini) {
  std::string stored = StoredEditor(ini);
  field = stored;
  treePath_ = stored;
  previous_ = stored.empty() ? "以前の設定：" : "以前の設定:" + stored;
}

bool TEditorDialogModel::OkEnabled() const { return field.empty() || isProgram_(field); }

bool TEditorDialogModel::Accept(TIniFile& ini) {
  if (!OkEnabled()) return false;
  StoreEditor(ini, field);
  return true;
}

}  // namespace navirt
