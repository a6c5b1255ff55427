#pragma once
// The edit control's own exception class. Any thread.
#include "framework/Exception.h"

RAVELIN_EXCEPTION_CLASS(EElEditorError, Exception);
