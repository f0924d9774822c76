#pragma once
// The pickers of the window run, over Qt's file dialogs.

#include <QString>
#include <QStringList>

#include "project/zrPickers.h"

class QFileDialog;

namespace vantile::ui {

// "Description|pattern;pattern|..." as Qt's name filters.
QStringList QtNameFilters(const std::string& filter);

class TzrPickersQt : public TzrPickers {
  public:
    void SelectFolder(const std::string& Start, std::string& Result) override;
    bool SelectFiles(const std::string& Filter, std::string& Name, bool Multi) override;
    bool SelectSaveFile(const std::string& Filter, const std::string& DefExt, std::string& Name) override;
};

// Installs TzrPickersQt for the lifetime of the object.
class TzrScopedPickersQt {
  public:
    TzrScopedPickersQt() : FPrevious(InstallPickers(&FPickers)) {}
    ~TzrScopedPickersQt() { InstallPickers(FPrevious); }
    TzrScopedPickersQt(const TzrScopedPickersQt&) = delete;
    TzrScopedPickersQt& operator=(const TzrScopedPickersQt&) = delete;

  private:
    TzrPickersQt FPickers;
    TzrPickers* FPrevious;
};

}  // namespace vantile::ui
