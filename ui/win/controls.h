// Every control family of our widget layer, for the forms that use them all.
#pragma once
#include "ui/win/buttons.h"
#include "ui/win/combo_box.h"
#include "ui/win/container.h"
#include "ui/win/control.h"
#include "ui/win/edits.h"
#include "ui/win/form.h"
#include "ui/win/label.h"
#include "ui/win/list_box.h"
#include "ui/win/list_view.h"
#include "ui/win/page_control.h"
#include "ui/win/rich_edit.h"
#include "ui/win/status_bar.h"
