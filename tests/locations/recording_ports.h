// Fakes of the core's ports that remember everything, for the location and
// fetch tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/main_ports.h"
#include "common/ports.h"

namespace skytest {

// Records message boxes in order; beeps appear as the entry "<beep>".
class RecordingMessages : public sky::IMessagePort {
 public:
  void ShowMessage(const std::string& text) override { log.push_back(text); }
  void ShowError(const std::string& text) override { log.push_back("<error>" + text); }
  bool Confirm(const std::string& text) override {
    log.push_back("<confirm>" + text);
    return confirmAnswer;
  }
  void Beep() override { log.push_back("<beep>"); }
  std::vector<std::string> log;
  bool confirmAnswer = true;
};

class RecordingStatus : public sky::IStatusPort {
 public:
  void SetStatus(const std::string& text) override { texts.push_back(text); }
  std::string Last() const { return texts.empty() ? std::string() : texts.back(); }
  std::vector<std::string> texts;
};

class FakeWindow : public sky::IMainWindowPort {
 public:
  FakeWindow() {
    labels[sky::ValueLabel::WindChill] = "n/a";
    labels[sky::ValueLabel::HeatIndex] = "n/a";
  }
  void SetLabel(sky::ValueLabel l, const std::string& text) override { labels[l] = text; }
  std::string Label(sky::ValueLabel l) const override {
    auto it = labels.find(l);
    return it == labels.end() ? std::string() : it->second;
  }
  std::string Caption() const override { return caption; }
  void SetCaption(const std::string& c) override { caption = c; }
  void Repaint() override { ++repaints; }
  std::map<sky::ValueLabel, std::string> labels;
  std::string caption = "Skyglass";
  int repaints = 0;
};

class FakeTray : public sky::ITrayPort {
 public:
  void SetHint(const std::string& h) override { hint = h; }
  void SetIconIndex(int i) override { icon = i; }
  void SetActive(bool a) override {
    active = a;
    ++activations;
  }
  std::string hint = "Skyglass";
  int icon = -1;
  bool active = false;
  int activations = 0;
};

class FakePresetMenu : public sky::IPresetMenuPort {
 public:
  FakePresetMenu() : captions(sky::kPresetSlots), visible(sky::kPresetSlots, false) {}
  void SetPresetItem(int slot, const std::string& caption, bool vis) override {
    captions.at(static_cast<std::size_t>(slot)) = caption;
    visible.at(static_cast<std::size_t>(slot)) = vis;
  }
  std::vector<std::string> Visible() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < captions.size(); ++i)
      if (visible[i]) out.push_back(captions[i]);
    return out;
  }
  std::vector<std::string> captions;
  std::vector<bool> visible;
};

class FakeMoon : public sky::IMoonPort {
 public:
  void UpdateMoonPhase() override { ++updates; }
  int updates = 0;
};

}  // namespace skytest
