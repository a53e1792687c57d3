// The calling convention of every `ModelArena` method.
//
// A method is declared once, in a method table, by naming the C++ function
// that implements it and its parameter names:
//
//     method<&mk_reg, "mk_reg", "name", "bit_width">()
//
// where `HcpIdent mk_reg(Call& call, std::string_view name, std::int32_t bit_width)`.
// The generated vectorcall entry point then, in this order: binds positional
// and keyword arguments to the parameters (std::optional parameters may be
// omitted and default to None), checks the receiver's thread, borrows the
// model exclusively, converts each argument to its C++ type (`Arg<T>`), runs
// the function, issues the warnings it collected through `warnings.warn`, and
// converts the result (`to_python`). C++ exceptions become Python exceptions
// at this boundary. The docstring carries the text signature
// "name($self, /, a, b=None)".
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "applications/py/core/bound_object.h"
#include "applications/py/core/convert.h"

namespace velora::py {

/// The context a method implementation receives.
class Call {
 public:
  Call(ModuleState* state, velora::ModelArena& model) : state_(state), model_(&model) {}
  velora::ModelArena& model() { return *model_; }
  ModuleState* state() const { return state_; }
  /// Queues a Python warning, issued after the operation has completed.
  void warn(std::string message) { warnings_.push_back(std::move(message)); }
  const std::vector<std::string>& warnings() const { return warnings_; }

 private:
  ModuleState* state_;
  velora::ModelArena* model_;
  std::vector<std::string> warnings_;
};

/// A string usable as a template argument.
template <std::size_t N>
struct FixedString {
  char text[N];
  constexpr FixedString(const char (&s)[N]) { std::copy_n(s, N, text); }
  constexpr const char* c_str() const { return text; }
};

/// Translates the exception being handled into the pending Python exception.
void set_python_error(ModuleState* state) noexcept;

/// Binds vectorcall arguments to parameter slots (borrowed references; null
/// for an omitted one). Raises TypeError with the interpreter's usual wording.
bool bind_arguments(const char* method, const char* const* names, std::size_t count, std::uint64_t optional_mask,
                    PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** slots);

/// Positional and keyword arguments of a tuple-and-dict call, laid out as
/// for vectorcall (for the `tp_new` path of constructors).
struct FlatArgs {
  std::vector<PyObject*> items;
  PyRef kwnames;
  Py_ssize_t npos = 0;
};
bool flatten_call_args(PyObject* args, PyObject* kwargs, FlatArgs& out);

/// Issues queued warnings through `warnings.warn`; false if one raised.
bool issue_warnings(const std::vector<std::string>& warnings);

/// Builds "name($self, /, a, b=None)\n--\n\n".
const char* make_text_signature(const char* method, const char* const* names, std::size_t count,
                                std::uint64_t optional_mask);

template <class F>
struct FnTraits;
template <class R, class... A>
struct FnTraits<R (*)(Call&, A...)> {
  using Result = R;
  using Args = std::tuple<A...>;
  static constexpr std::size_t arity = sizeof...(A);
};

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

template <class Tuple>
struct OptionalMask;
template <class... A>
struct OptionalMask<std::tuple<A...>> {
  static constexpr std::uint64_t value() {
    std::uint64_t mask = 0;
    std::size_t i = 0;
    ((mask |= (IsOptional<std::decay_t<A>>::value ? (std::uint64_t{1} << i) : 0), ++i), ...);
    return mask;
  }
};

template <auto Fn, FixedString Name, FixedString... Params>
struct MethodImpl {
  using Traits = FnTraits<decltype(Fn)>;
  static constexpr std::size_t N = sizeof...(Params);
  static_assert(N == Traits::arity, "one parameter name per argument");
  static constexpr std::uint64_t kOptional = OptionalMask<typename Traits::Args>::value();
  static constexpr const char* kNames[N + 1] = {Params.c_str()..., nullptr};

  template <std::size_t... I>
  static auto decode(Call& call, PyObject** slots, std::index_sequence<I...>) {
    // Braced initialisation converts in parameter order.
    return typename Traits::Args{
        Arg<std::decay_t<std::tuple_element_t<I, typename Traits::Args>>>::convert(call.state(), slots[I],
                                                                                   kNames[I])...};
  }

  static PyObject* entry(PyObject* self_obj, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    auto* self = reinterpret_cast<ModelOwner*>(self_obj);
    PyObject* slots[N + 1] = {};
    if (!bind_arguments(Name.c_str(), kNames, N, kOptional, args, PyVectorcall_NARGS(nargs), kwnames, slots))
      return nullptr;
    try {
      check_thread(self);
      Borrow borrow(self);
      Call call(self->state, *self->model);
      auto decoded = decode(call, slots, std::make_index_sequence<N>{});
      if constexpr (std::is_void_v<typename Traits::Result>) {
        std::apply([&](auto&&... a) { Fn(call, std::forward<decltype(a)>(a)...); }, std::move(decoded));
        if (!issue_warnings(call.warnings())) return nullptr;
        Py_RETURN_NONE;
      } else {
        auto result =
            std::apply([&](auto&&... a) { return Fn(call, std::forward<decltype(a)>(a)...); }, std::move(decoded));
        if (!issue_warnings(call.warnings())) return nullptr;
        return to_python(call.state(), result);
      }
    } catch (...) {
      set_python_error(self->state);
      return nullptr;
    }
  }

  static PyMethodDef def() {
    return PyMethodDef{Name.c_str(), reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&entry)),
                       METH_FASTCALL | METH_KEYWORDS, make_text_signature(Name.c_str(), kNames, N, kOptional)};
  }
};

/// The method table entry of a `ModelArena` method.
template <auto Fn, FixedString Name, FixedString... Params>
PyMethodDef method() {
  return MethodImpl<Fn, Name, Params...>::def();
}

}  // namespace velora::py
