#pragma once
#include "CArray.h"

// Growable array of object pointers; the array does not own them.
class CObArray : public CArray<CObject*, CObject*> {};
