// UserInput.h — how korcad answers a request for user input: the prompt goes to the command
// line, the answer comes from the session's input source (the terminal, or an answers file),
// and is read as the request asks (text, number, point, distance, keyword) under the
// acedInitGet flags that apply. A refused answer shows the reason and asks again, as the CAD
// program does; the end of the input cancels the request.
//
// Typed forms: numbers as LISP reads them; points as "x,y" or "x,y,z", or "@dx,dy[,dz]"
// relative to the base point; a distance as a number or as two points (the first is the base
// point when one was given). An entity pick (entsel) takes a point and the entity the finder
// sees there; none found says so and answers RTERROR. Ctrl-C at a prompt answers RTCAN.
#pragma once

#include "ads/adshost.h"

#include <array>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace korcad {

class InputSource;

class UserInput {
public:
    // `source` is asked for the input source at each request (the session may swap it);
    // refusals and notes go to `out`.
    UserInput(std::function<InputSource&()> source, std::ostream& out);

    int get(const ads::InputRequest& request, ads::InputAnswer& answer);

    // The request being asked right now, if any: what a pick in the drawing should give.
    const ads::InputRequest* pending() const { return pending_; }

    // What finds the entity at a picked point (the drawing's geometry within the pick box).
    using EntityFinder = std::function<bool(const double point[3], ads_name entity)>;
    void setEntityFinder(EntityFinder finder) { finder_ = std::move(finder); }

    // A point as typed ("1,2", "1,2,3", "@1,0" relative to base); nothing when it is not one.
    static std::optional<std::array<double, 3>> parsePoint(const std::string& text, const double* base);
    // The keyword of `keywords` (blank-separated, capitals mark the shortest abbreviation)
    // that `text` stands for; empty when none.
    static std::wstring matchKeyword(const std::wstring& text, const std::wstring& keywords);

private:
    int ask(const ads::InputRequest& request, ads::InputAnswer& answer);
    std::optional<std::string> line(const std::string& prompt);
    void refuse(const char* message);

    std::function<InputSource&()> source_;
    EntityFinder finder_;
    const ads::InputRequest* pending_ = nullptr;
    std::ostream& out_;
};

}  // namespace korcad
