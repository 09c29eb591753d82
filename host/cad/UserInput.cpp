#include "cad/UserInput.h"

#include "input/InputSource.h"

#include "lisp/Reader.h"

#include "text/text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <ostream>
#include <sstream>

namespace korcad {

namespace {

std::string trim(const std::string& s) { return std::string(kortext::trim(s)); }

std::optional<double> number(const std::string& text)
{
    auto v = lisp::parseNumber(text);
    if (!v)
        return std::nullopt;
    return v->asDouble();
}

std::wstring upper(const std::wstring& s) { return kortext::upper(s); }

}  // namespace

UserInput::UserInput(std::function<InputSource&()> source, std::ostream& out)
    : source_(std::move(source)), out_(out)
{
}

std::optional<std::string> UserInput::line(const std::string& prompt)
{
    // Ctrl-C at a prompt cancels the request. It must not travel as an exception through an
    // application's code: the request answers RTCAN, as when the input ends.
    try {
        return source_().readLine(prompt);
    } catch (const LineCancelled&) {
        return std::nullopt;
    }
}

void UserInput::refuse(const char* message)
{
    out_ << message << '\n';
    out_.flush();
}

std::optional<std::array<double, 3>> UserInput::parsePoint(const std::string& typed, const double* base)
{
    std::string text = trim(typed);
    bool relative = !text.empty() && text[0] == '@';
    if (relative) {
        if (!base)
            return std::nullopt;
        text = text.substr(1);
    }
    std::array<double, 3> p{0, 0, 0};
    std::stringstream parts(text);
    std::string part;
    int n = 0;
    while (std::getline(parts, part, ',')) {
        auto v = number(trim(part));
        if (!v || n == 3)
            return std::nullopt;
        p[n++] = *v;
    }
    if (n < 2 || (!text.empty() && text.back() == ','))
        return std::nullopt;
    if (relative)
        for (int i = 0; i < 3; ++i)
            p[i] += base[i];
    return p;
}

std::wstring UserInput::matchKeyword(const std::wstring& text, const std::wstring& keywords)
{
    std::wstring typed = upper(text);
    if (typed.empty())
        return std::wstring();
    std::wstringstream words(keywords);
    std::wstring word;
    while (words >> word) {
        if (word[0] == L'_')
            break;  // the language-independent names follow
        size_t capitals = 0;
        while (capitals < word.size() && std::iswupper(word[capitals]))
            ++capitals;
        size_t needed = capitals ? capitals : word.size();
        if (typed.size() >= needed && typed.size() <= word.size() && upper(word).compare(0, typed.size(), typed) == 0)
            return word;
    }
    return std::wstring();
}

int UserInput::get(const ads::InputRequest& request, ads::InputAnswer& answer)
{
    // Requests nest (a prompt may run LISP that prompts): the outer one comes back after.
    const ads::InputRequest* outer = pending_;
    pending_ = &request;
    int rc = ask(request, answer);
    pending_ = outer;
    return rc;
}

int UserInput::ask(const ads::InputRequest& request, ads::InputAnswer& answer)
{
    using ads::InputKind;
    const std::string prompt = kortext::fromWide(request.prompt.c_str());
    const int flags = request.flags;
    const double* base = request.hasBase ? request.base : nullptr;
    for (;;) {
        auto typed = line(prompt);
        if (!typed)
            return RTCAN;  // the input ended: as Escape in the CAD program
        std::string text = request.kind == InputKind::String ? *typed : trim(*typed);

        if (request.kind == InputKind::String) {
            if (!request.acceptBlanks)
                text = text.substr(0, text.find(' '));
            answer.text = kortext::toWide(text);
            return RTNORM;
        }
        if (text.empty()) {
            if (flags & RSG_NONULL) {
                refuse("Eingabe erforderlich.");
                continue;
            }
            return RTNONE;
        }
        std::wstring keyword = matchKeyword(kortext::toWide(text), request.keywords);
        if (keyword.empty() && (flags & RSG_OTHER))
            keyword = kortext::toWide(text);  // any other input goes back as it was typed

        auto checkValue = [&](double v) -> const char* {
            if ((flags & RSG_NOZERO) && v == 0)
                return "Wert muss ungleich Null sein.";
            if ((flags & RSG_NONEG) && v < 0)
                return "Wert muss positiv sein.";
            return nullptr;
        };

        switch (request.kind) {
        case InputKind::Integer:
        case InputKind::Real: {
            auto v = lisp::parseNumber(text);
            bool isInt = request.kind == InputKind::Integer;
            bool fits = v && (!isInt || (v->isInt() && v->asInt() >= SHRT_MIN && v->asInt() <= SHRT_MAX));
            if (!fits) {
                if (!keyword.empty())
                    break;
                refuse(isInt ? "Erfordert eine ganze Zahl zwischen -32768 und 32767." : "Erfordert numerischen Wert.");
                continue;
            }
            if (const char* why = checkValue(v->asDouble())) {
                refuse(why);
                continue;
            }
            if (isInt)
                answer.integer = v->asInt();
            else
                answer.real = v->asDouble();
            return RTNORM;
        }
        case InputKind::Point:
        case InputKind::Corner: {
            auto p = parsePoint(text, base);
            if (!p) {
                if (!keyword.empty())
                    break;
                refuse("Punkt oder Option-Schlüsselwort erforderlich.");
                continue;
            }
            std::copy(p->begin(), p->end(), answer.point);
            if (!(flags & RSG_GETZ) && !text.empty() && std::count(text.begin(), text.end(), ',') < 2)
                answer.point[2] = base ? base[2] : 0.0;
            return RTNORM;
        }
        case InputKind::Angle:
            if (!parsePoint(text, base)) {
                if (!keyword.empty())
                    break;
                answer.text = kortext::toWide(text);
                answer.integer = 0;
                return RTNORM;
            }
            [[fallthrough]];
        case InputKind::Distance: {
            if (auto v = request.kind == InputKind::Distance ? number(text) : std::nullopt) {
                if (const char* why = checkValue(*v)) {
                    refuse(why);
                    continue;
                }
                answer.real = *v;
                return RTNORM;
            }
            auto first = parsePoint(text, base);
            if (!first) {
                if (!keyword.empty())
                    break;
                refuse("Erfordert numerischen Wert, zwei Punkte oder Option-Schlüsselwort.");
                continue;
            }
            std::array<double, 3> from, to;
            if (base) {
                std::copy(base, base + 3, from.begin());
                to = *first;
            } else {
                from = *first;
                // The second point is asked from the first: a view shows the rubber band.
                ads::InputRequest fromFirst = request;
                fromFirst.hasBase = true;
                std::copy(from.begin(), from.end(), fromFirst.base);
                pending_ = &fromFirst;
                auto second = line("Zweiten Punkt angeben: ");
                pending_ = &request;
                if (!second)
                    return RTCAN;
                auto p2 = parsePoint(*second, from.data());
                if (!p2) {
                    refuse("Punkt erforderlich.");
                    continue;
                }
                to = *p2;
            }
            if (request.kind == InputKind::Angle) {
                answer.real = std::atan2(to[1] - from[1], to[0] - from[0]);
                answer.integer = 1;
                return RTNORM;
            }
            double dz = (flags & RSG_2D) ? 0 : to[2] - from[2];
            answer.real = std::sqrt((to[0] - from[0]) * (to[0] - from[0]) + (to[1] - from[1]) * (to[1] - from[1]) + dz * dz);
            if (const char* why = checkValue(answer.real)) {
                refuse(why);
                continue;
            }
            return RTNORM;
        }
        case InputKind::Keyword:
            if (keyword.empty()) {
                refuse("Ungültiges Option-Schlüsselwort.");
                continue;
            }
            answer.text = keyword;
            return RTNORM;
        case InputKind::Entity: {
            if (!keyword.empty())
                break;
            auto p = parsePoint(text, nullptr);
            if (!p) {
                refuse("Punkt oder Option-Schlüsselwort erforderlich.");
                continue;
            }
            std::copy(p->begin(), p->end(), answer.point);
            if (finder_ && finder_(answer.point, answer.entity))
                return RTNORM;
            refuse("Kein Objekt gefunden.");
            return RTERROR;
        }
        case InputKind::String:
            break;
        }
        // A keyword where a value was asked for.
        answer.text = keyword;
        return RTKWORD;
    }
}

}  // namespace korcad
