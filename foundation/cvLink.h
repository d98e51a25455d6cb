// A forward call into code that is not built yet: the provider, when one is installed, or a
// stand-in that says clearly that the function is not available yet. The code that provides the
// function installs it; nothing else changes.
//
//   TLink<void(const std::string&)> RunInpFile{"RunInpFile"};
//   RunInpFile("a.inp");               // the provider, or the not-available warning
//   RunInpFile.Install([](auto& f) { ... });
//
// A loud link (what the user asks for) shows its stand-in's text through WARNAbs; a quiet one
// (what the program runs by itself at start-up or on resize) notes it through WARN only; a
// silent one (optional windows and lists) does nothing without a provider.
#pragma once
#include <functional>
#include <type_traits>
#include <string>
#include <utility>

namespace cvlink {
// Name + " - функция пока недоступна".
std::string NotAvailableText(const std::string& Name);
// Shows NotAvailableText(Name) through WARNAbs.
void NotAvailable(const std::string& Name);
// Notes NotAvailableText(Name) through WARN (shown only while warnings are on).
void NotAvailableQuiet(const std::string& Name);
}  // namespace cvlink

enum class TLinkLoudness { Loud, Quiet, Silent };

template <class Sig>
class TLink;

template <class R, class... A>
class TLink<R(A...)> {
 public:
  using Function = std::function<R(A...)>;
  explicit TLink(std::string Name, TLinkLoudness Loudness = TLinkLoudness::Loud)
      : name_(std::move(Name)), loudness_(Loudness) {}

  // The provider, or the stand-in (which returns a value-initialised R).
  R operator()(A... Args) const {
    if (provider_) return provider_(std::forward<A>(Args)...);
    if (loudness_ == TLinkLoudness::Loud)
      cvlink::NotAvailable(name_);
    else if (loudness_ == TLinkLoudness::Quiet)
      cvlink::NotAvailableQuiet(name_);
    if constexpr (!std::is_void_v<R>) return R{};
  }

  void Install(Function F) { provider_ = std::move(F); }
  void Reset() { provider_ = nullptr; }
  bool Provided() const { return static_cast<bool>(provider_); }
  const std::string& Name() const { return name_; }
  // The provider itself (for code that installs a hook by assignment).
  Function& Provider() { return provider_; }

 private:
  std::string name_;
  TLinkLoudness loudness_;
  Function provider_;
};
