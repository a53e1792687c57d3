#include "applications/py/core/call.h"

#include <deque>
#include <exception>
#include <mutex>
#include <new>

#include "common/error.h"

namespace velora::py {

void set_python_error(ModuleState* state) noexcept {
  try {
    throw;
  } catch (const PythonErrorSet&) {
    // Already set by the code that threw.
  } catch (const velora::Error& e) {
    switch (e.kind()) {
      case velora::ErrorKind::Value:
        PyErr_SetString(PyExc_ValueError, e.what());
        break;
      case velora::ErrorKind::Type:
        PyErr_SetString(PyExc_TypeError, e.what());
        break;
      case velora::ErrorKind::Fatal:
        PyErr_SetString(state->fatal_error, e.what());
        break;
    }
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& e) {
    PyErr_SetString(state->fatal_error, e.what());
  } catch (...) {
    PyErr_SetString(state->fatal_error, "unknown internal error");
  }
}

bool bind_arguments(const char* method, const char* const* names, std::size_t count, std::uint64_t optional_mask,
                    PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** slots) {
  if (static_cast<std::size_t>(nargs) > count) {
    if (count == 0)
      PyErr_Format(PyExc_TypeError, "%s() takes no arguments (%zd given)", method, nargs);
    else
      PyErr_Format(PyExc_TypeError, "%s() takes at most %zu argument%s (%zd given)", method, count,
                   count == 1 ? "" : "s", nargs);
    return false;
  }
  for (Py_ssize_t i = 0; i < nargs; ++i) slots[i] = args[i];
  if (kwnames != nullptr) {
    Py_ssize_t nkw = PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t k = 0; k < nkw; ++k) {
      PyObject* key = PyTuple_GET_ITEM(kwnames, k);
      std::size_t found = count;
      for (std::size_t p = 0; p < count; ++p) {
        if (PyUnicode_CompareWithASCIIString(key, names[p]) == 0) {
          found = p;
          break;
        }
      }
      if (found == count) {
        PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", method, key);
        return false;
      }
      if (slots[found] != nullptr) {
        PyErr_Format(PyExc_TypeError, "argument for %s() given by name ('%s') and position (%zu)", method,
                     names[found], found + 1);
        return false;
      }
      slots[found] = args[nargs + k];
    }
  }
  for (std::size_t p = 0; p < count; ++p) {
    if (slots[p] == nullptr && (optional_mask & (std::uint64_t{1} << p)) == 0) {
      PyErr_Format(PyExc_TypeError, "%s() missing required argument '%s' (pos %zu)", method, names[p], p + 1);
      return false;
    }
  }
  return true;
}

bool flatten_call_args(PyObject* args, PyObject* kwargs, FlatArgs& out) {
  out.npos = PyTuple_GET_SIZE(args);
  Py_ssize_t nkw = kwargs != nullptr ? PyDict_GET_SIZE(kwargs) : 0;
  out.items.assign(static_cast<std::size_t>(out.npos + nkw), nullptr);
  for (Py_ssize_t i = 0; i < out.npos; ++i) out.items[static_cast<std::size_t>(i)] = PyTuple_GET_ITEM(args, i);
  if (nkw == 0) return true;
  out.kwnames = PyRef::steal(PyTuple_New(nkw));
  if (!out.kwnames) return false;
  Py_ssize_t pos = 0, k = 0;
  PyObject *key, *value;
  while (PyDict_Next(kwargs, &pos, &key, &value)) {
    Py_INCREF(key);
    PyTuple_SET_ITEM(out.kwnames.get(), k, key);
    out.items[static_cast<std::size_t>(out.npos + k)] = value;
    ++k;
  }
  return true;
}

bool issue_warnings(const std::vector<std::string>& warnings) {
  for (const std::string& message : warnings) {
    PyObject* module = PyImport_ImportModule("warnings");
    if (module == nullptr) return false;
    PyObject* result = PyObject_CallMethod(module, "warn", "s#", message.data(),
                                           static_cast<Py_ssize_t>(message.size()));
    Py_DECREF(module);
    if (result == nullptr) return false;
    Py_DECREF(result);
  }
  return true;
}

const char* make_text_signature(const char* method, const char* const* names, std::size_t count,
                                std::uint64_t optional_mask) {
  // Method tables are built once per import; the texts live for the process.
  static std::mutex mutex;
  static auto& texts = *new std::deque<std::string>();
  std::string text = method;
  text += count == 0 ? "($self, /)" : "($self, /, ";
  for (std::size_t p = 0; p < count; ++p) {
    if (p != 0) text += ", ";
    text += names[p];
    if (optional_mask & (std::uint64_t{1} << p)) text += "=None";
  }
  if (count != 0) text += ")";
  text += "\n--\n\n";
  std::lock_guard<std::mutex> lock(mutex);
  texts.push_back(std::move(text));
  return texts.back().c_str();
}

}  // namespace velora::py
