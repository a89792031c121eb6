#pragma once
// The product's name and web addresses, one place for the whole product:
// report footers, the About box and the help menu all take them from here.

namespace qm {

inline constexpr char kProductName[] = "Quellmark";
inline constexpr char kHomePageAddress[] = "https://www.quellmark.example/";

}  // namespace qm
