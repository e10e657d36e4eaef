// The component object model and automation stand-in, all of it: include
// this, or the one header a file needs.
//
//   base.h              HRESULT codes, OLECHAR, VARIANT_BOOL, LCID, DISPID
//   guid.h              GUID / CLSID / IID, text form
//   bstr.h              BSTR functions, UTF-8 <-> UTF-16, qb::Bstr
//   variant.h           VARIANT, VT_ codes, VariantClear / Copy / ChangeType
//   unknown.h           IUnknown, IClassFactory
//   dispatch.h          IDispatch, DISPPARAMS, EXCEPINFO
//   typeinfo.h          ITypeInfo, ITypeLib and their structures
//   typelib_spec.h      describing a type library in C++ (DescribeMethod)
//   typelib_model.h     building ITypeLib / ITypeInfo from that description
//   dispatch_invoke.h   GetIDsOfNames / Invoke driven by the description
//   automation_object.h AutomationObject<I>: IUnknown + IDispatch for a class
//   server.h            server exports, registration, module lock count
//   activation.h        CoCreateInstance, CLSIDFromProgID, ...
//   loader.h            LoadLibraryA / GetProcAddress, BoundFunction slots
//   com_ptr.h           qb::ComPtr
#pragma once

#include "platform/com/activation.h"
#include "platform/com/automation_object.h"
#include "platform/com/base.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/dispatch_invoke.h"
#include "platform/com/guid.h"
#include "platform/com/loader.h"
#include "platform/com/server.h"
#include "platform/com/typeinfo.h"
#include "platform/com/typelib_model.h"
#include "platform/com/typelib_spec.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
