#include "forms/base/BaseForms.h"

#include "forms/base/ZUBDialogCF.h"
#include "forms/base/ZUBForm.h"
#include "i18n/CodeConverter.h"
#include "i18n/LanguageController.h"
#include "platform/vcl/Buttons.h"

// Generated from ZUBForm.dfm and ZUBDialogCF.dfm (CMakeLists.txt).
void RegisterBaseFormResources();

void RegisterBaseFormClasses() {
  RegisterCodeConverterClasses();
  RegisterLanguageControllerClasses();
  RegisterButtonsClasses();
  RegisterZUBFormClasses();
  RegisterZUBDialogClasses();
  RegisterBaseFormResources();
}
