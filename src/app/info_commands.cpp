#include "app/info_commands.h"

#include <QAction>
#include <QLabel>

#include "app/Unit1.h"
#include "app/main_logic.h"
#include "common/hosts.h"
#include "controls/ColorDialog.h"
#include "images/Unit_frmImage.h"
#include "images/image_logic.h"
#include "info/HelpWindow.h"
#include "info/frmAbout_Unit.h"
#include "info/info_links.h"
#include "settings/Unit_pref.h"

namespace sky::ui {

void CheckforUpdate1Click(TForm1& form, MainLogic& logic) {
  FetchGate::Hold hold(form.Gate());
  if (!hold.Entered()) {
    form.SetStatus(kBusyText);
    return;
  }
  const VersionCheck check = RunVersionCheck(logic.Requests());
  if (check.failed) {
    // As any command ended by a failed request: the error box, unless the
    // user aborted it.
    if (!check.errorBox.empty()) form.ShowError(check.errorBox);
    return;
  }
  form.ShowMessage(check.message);
  form.SetStatus(kThankYou);
  form.Repaint();
}

void ShowPopulationCounter(const PopulationCounter& counter, ImageLogic& images, TfrmImage& viewer) {
  images.SetRequest(std::string("http://") + hosts::kCensus + counter.path, counter.localFile);
  viewer.SetImageCaption(counter.caption);
  viewer.SetCounterLook();
  images.do_image();
}

void WirePopulationCounters(TForm1& form, ImageLogic& images, std::function<TfrmImage&()> viewer) {
  auto command = [&form, &images, viewer](const PopulationCounter& counter) {
    return [&form, &images, viewer, &counter] {
      form.RunRequest([&] { ShowPopulationCounter(counter, images, viewer()); });
    };
  };
  form.BindCommand("mnuCurrWorldPop1", command(kWorldPopulation));
  form.BindCommand("mnuCurrentUSPopulation1", command(kUsPopulation));
}

void WireInfoCommands(TForm1& form, MainLogic& logic, std::function<TfrmPref&()> pref,
                      std::function<TfrmAbout&()> about) {
  form.BindCommand("mnuGeneralPreferences1", [pref] { pref().ShowDialog(); });
  auto color = [&form](ColorCommand command, void (TForm1::*apply)(const std::string&)) {
    return [&form, command, apply] {
      // The dialog opens on the colour the labels have now.
      const QColor now = command == ColorCommand::LabelColor ? form.captionLabels[0]->palette().color(QPalette::Window)
                         : command == ColorCommand::LabelFontColor
                             ? form.captionLabels[0]->palette().color(QPalette::WindowText)
                             : form.valueLabels[0]->palette().color(QPalette::WindowText);
      RunColorCommand(
          command, TSharedColorDialog::Instance(), [&form, apply](const std::string& text) { (form.*apply)(text); },
          &form, TColorOf(now));
    };
  };
  form.BindCommand("mnuMainLabelColor1", color(ColorCommand::LabelColor, &TForm1::set_label_colors));
  form.BindCommand("mnuMainLabelFontColor1", color(ColorCommand::LabelFontColor, &TForm1::set_label_font_colors));
  form.BindCommand("mnuStatsFontColor1", color(ColorCommand::StatsFontColor, &TForm1::set_stats_font_color));
  // The caption names F1 already: the key is a window shortcut rather than
  // the item's, which the menu would show a second time.
  form.BindCommand("mnuHelpContents", [&form] { launch_help_for(&form); });
  InstallHelpKey(&form);
  form.BindCommand("mnuAbout", [about] { about().ShowAbout(); });
  form.BindCommand("CheckforUpdate1", [&form, &logic] { CheckforUpdate1Click(form, logic); });
}

}  // namespace sky::ui
