// A callable that runs only while a weak flag lives. The flag belongs to the object the
// callable is bound to (SupportWeakCallback) or to one cancellable operation of it
// (WeakCallbackFlag); once the flag has no strong owner the call does nothing and
// yields the result type's default value (false, null, nothing for void).
//
// Threads: the expiry test and the call are not atomic together, so the owner of the
// flag must be destroyed on the thread that runs the callback. Copies share the flag.
#pragma once

#include <functional>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>

namespace nbase {

// Only the ownership counts of its shared handle matter.
class WeakFlag {};

template <typename Callable>
class WeakCallback {
 public:
  WeakCallback(std::weak_ptr<WeakFlag> flag, Callable callable)
      : flag_(std::move(flag)), callable_(std::move(callable)) {}

  template <typename... Args>
  auto operator()(Args&&... args) -> std::invoke_result_t<Callable&, Args&&...> {
    return Call(callable_, std::forward<Args>(args)...);
  }
  template <typename... Args>
  auto operator()(Args&&... args) const -> std::invoke_result_t<const Callable&, Args&&...> {
    return Call(callable_, std::forward<Args>(args)...);
  }

  bool Expired() const { return flag_.expired(); }

 private:
  template <typename C, typename... Args>
  auto Call(C& callable, Args&&... args) const -> std::invoke_result_t<C&, Args&&...> {
    using Result = std::invoke_result_t<C&, Args&&...>;
    if (flag_.expired()) {
      if constexpr (std::is_void_v<Result>) {
        return;
      } else {
        return Result();
      }
    }
    return std::invoke(callable, std::forward<Args>(args)...);
  }

  std::weak_ptr<WeakFlag> flag_;
  Callable callable_;
};

template <typename Callable>
WeakCallback<std::decay_t<Callable>> MakeWeakCallback(std::weak_ptr<WeakFlag> flag,
                                                      Callable&& callable) {
  return WeakCallback<std::decay_t<Callable>>(std::move(flag),
                                              std::forward<Callable>(callable));
}

// Binds `method` to `object` with leading arguments fixed; the remaining arguments are
// forwarded at the call. The result is a weak callback on `object`'s own flag, so it is
// skipped once `object` is destroyed. `object` derives from SupportWeakCallback.
template <typename Method, typename Object, typename... Bound>
auto Bind(Method method, Object* object, Bound&&... bound) {
  auto call = [method, object, fixed = std::make_tuple(std::forward<Bound>(bound)...)](
                  auto&&... rest) -> decltype(auto) {
    return std::apply(
        [&](auto&... leading) -> decltype(auto) {
          return std::invoke(method, object, leading..., std::forward<decltype(rest)>(rest)...);
        },
        fixed);
  };
  return MakeWeakCallback(object->GetWeakFlag(), std::move(call));
}

}  // namespace nbase
