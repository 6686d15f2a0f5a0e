#include "platform/vcl/Registration.h"

#include "platform/vcl/Application.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"

void RegisterStandardClasses() {
  RegisterCoreClasses();
  RegisterGraphicsTypes();
  RegisterControlClasses();
  RegisterFormsLayerClasses();
}
