#pragma once

namespace tl {

// The stylesheet of the results pages: a run's results.html and the testing
// program's summary page, which adds its own rules after it.
inline constexpr const char* kPageStyle = R"(
:root { color-scheme: light; --rule: #c8c8c8; --head: #f0f0f0; }
* { box-sizing: border-box; }
body { font-family: system-ui, -apple-system, "Segoe UI", Roboto, sans-serif; line-height: 1.45;
       color: #1a1a1a; background: #fff; margin: 0 auto; max-width: 64rem; padding: 1rem 1.25rem 3rem; }
h1 { font-size: 1.6rem; margin: 0.5rem 0 0.25rem; }
h2 { font-size: 1.25rem; margin: 2rem 0 0.5rem; border-bottom: 1px solid var(--rule); }
p.lead { margin-top: 0; color: #444; }
.scroll { overflow-x: auto; -webkit-overflow-scrolling: touch; margin: 0 0 1rem; }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; }
p.table-title { font-weight: 600; margin: 1rem 0 0.25rem; }
th, td { border: 1px solid var(--rule); padding: 0.3rem 0.55rem; text-align: left; white-space: nowrap; }
thead th, tr.total th, tr.total td { background: var(--head); }
td.num { text-align: right; }
td.total, tr.total td { font-weight: 600; }
figure { margin: 1rem 0; }
svg.plot { width: 100%; height: auto; max-width: 48rem; min-width: 32rem; display: block; }
figcaption { color: #444; font-size: 0.95rem; }
details { margin: 0.5rem 0 1rem; }
footer { margin-top: 2.5rem; color: #555; font-size: 0.9rem; }
@media (max-width: 40rem) {
  body { padding: 0.75rem 0.75rem 2rem; font-size: 0.95rem; }
  h1 { font-size: 1.3rem; }
  th, td { padding: 0.25rem 0.4rem; }
  thead th { white-space: normal; }
}
@media print {
  body { max-width: none; padding: 0; font-size: 10pt; }
  .scroll { overflow: visible; }
  svg.plot { min-width: 0; }
  table, figure { break-inside: avoid; }
  h2, p.table-title { break-after: avoid; }
}
)";

}  // namespace tl
