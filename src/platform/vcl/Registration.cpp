#include "platform/vcl/Registration.h"

#include "platform/vcl/Application.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/ListViews.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Spin.h"
#include "platform/vcl/StdButtons.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Tabs.h"
#include "platform/vcl/ToolWin.h"

void RegisterStandardClasses() {
  RegisterCoreClasses();
  RegisterGraphicsTypes();
  RegisterControlClasses();
  RegisterFormsLayerClasses();
  // The standard controls, bases before descendants.
  RegisterStdCtrlsClasses();
  RegisterStdButtonsClasses();
  RegisterButtonsClasses();
  RegisterMaskClasses();
  RegisterExtCtrlsClasses();
  RegisterSpinClasses();
  RegisterImgListClasses();
  RegisterComCtrlsClasses();
  RegisterTabsClasses();
  RegisterListViewsClasses();
  RegisterMenusClasses();
  RegisterGridsClasses();
  RegisterToolWinClasses();
}
