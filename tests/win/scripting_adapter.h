// An in-process SWbemLocator for the tests: the WMI scripting interfaces
// over the native WMI COM API, with values converted as Windows' scripting
// interface converts them. Wine's own scripting objects leave the property
// enumeration, names and types unimplemented, so without this the program's
// scripting path never runs here.
#pragma once

// While one lives, CoCreateInstance(CLSID_SWbemLocator) in this process
// gives the adapter's locator. Construct and destroy on one COM thread.
class ScriptingAdapter {
 public:
  ScriptingAdapter();
  ~ScriptingAdapter();
  ScriptingAdapter(const ScriptingAdapter&) = delete;
  ScriptingAdapter& operator=(const ScriptingAdapter&) = delete;

  // The adapter's COM objects alive now (the class object not counted).
  static long Live();
  // Whether a request has gone through the adapter since this registration.
  bool Used() const;

 private:
  unsigned long cookie_ = 0;
  long madeBefore_;
};
