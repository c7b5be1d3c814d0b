#!/usr/bin/env python3
"""Draws phonesim's day: the battery's charge over time (one line per run),
and under it, for each run, the WiFi and cellular states as bands with the
background wakes as ticks.

usage: phonesim-plot.py INPUT.json OUTPUT.png|OUTPUT.svg

INPUT is what phonesim hands over: {"scenario", "duration", "runs": [{"name",
"wakeEvents": {"due", "neverDelivered", "meanDelaySeconds", "worstDelaySeconds"},
"timeline": {"charge": [[t, percent]...], "bands": {"phone", "wifi",
"cellular", "power": [[from, to, state]...]}, "wakes": {"engine", "apps"}}}]}.
"""

import json
import math
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.patches import Patch  # noqa: E402

WIFI_COLOURS = {"associated": "#1f77b4", "searching": "#aec7e8", "off": "#f2f2f2"}
CELLULAR_COLOURS = {
    "data 4G": "#e6550d",
    "data 3G": "#fd8d3c",
    "data 2G": "#fdae6b",
    "paging only": "#fdd0a2",
    "no service": "#d62728",
    "airplane": "#bdbdbd",
}
USE_COLOURS = {"in use": "#2ca02c", "screen on": "#98df8a"}
LINE_COLOURS = ["#000000", "#7f7f7f", "#9467bd", "#1f77b4", "#ff7f0e", "#d62728", "#8c564b", "#17becf"]


def hours(t):
    return t / 3600.0


def run_label(run):
    """The run's name with how long other applications' wake events waited."""
    events = run.get("wakeEvents")
    if not events or not events.get("due"):
        return run["name"]
    label = "%s (wake events wait %.0f min, worst %.0f" % (
        run["name"], events["meanDelaySeconds"] / 60.0, events["worstDelaySeconds"] / 60.0)
    if events.get("neverDelivered"):
        label += "; %d never delivered" % events["neverDelivered"]
    return label + ")"


def draw_spans(axis, spans, y, height, colours):
    for start, end, state in spans:
        colour = colours.get(state)
        if colour is None or end <= start:
            continue
        axis.broken_barh([(hours(start), hours(end - start))], (y, height), facecolors=colour, linewidth=0)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding="utf-8") as source:
        data = json.load(source)
    runs = [run for run in data["runs"] if run.get("timeline")]
    if not runs:
        sys.stderr.write("phonesim-plot: no timeline to draw\n")
        return 1
    duration_h = hours(data.get("duration", 86400))

    rows = len(runs)
    figure = plt.figure(figsize=(11, 4.2 + 0.42 * rows), dpi=100)
    grid = figure.add_gridspec(2, 1, height_ratios=[3.2, 0.42 * rows + 0.5], hspace=0.08)
    charge = figure.add_subplot(grid[0])
    bands = figure.add_subplot(grid[1], sharex=charge)

    lowest = 100.0
    for index, run in enumerate(runs):
        points = run["timeline"]["charge"]
        lowest = min([lowest] + [p for _, p in points])
        # The references (no saver) dashed on top, so that lines close to them stay visible.
        reference = run["name"] in ("no saver", "OS batching")
        charge.plot([hours(t) for t, _ in points], [p for _, p in points], label=run_label(run),
                    color=LINE_COLOURS[index % len(LINE_COLOURS)], linewidth=1.4 if reference else 1.8,
                    linestyle=(0, (4, 2)) if reference else "-", zorder=3 if reference else 2)
    # Charging spans of the first run, shaded behind the lines.
    for start, end, state in runs[0]["timeline"]["bands"].get("power", []):
        if state == "AC":
            charge.axvspan(hours(start), hours(end), color="#ffe680", alpha=0.45, linewidth=0)
    charge.set_ylabel("battery charge (%)")
    # The legend runs along the bottom of the chart, two runs a row: the
    # scale starts low enough that every line stays above it, unless the
    # battery ran nearly empty, when the legend goes where it hides least.
    legend_share = 0.06 * math.ceil(len(runs) / 2) + 0.04
    bottom = lowest - (101 - lowest) * legend_share / (1 - legend_share) - 1
    legend_place = "lower left" if bottom >= 0 else "best"
    charge.set_ylim(max(0, math.floor(bottom / 10) * 10), 101)
    charge.grid(True, alpha=0.3)
    title = "phonesim: %s (device profile %s)" % (data.get("scenario") or "scenario", data.get("profile", "?"))
    charge.set_title(title)
    charge.legend(loc=legend_place, ncol=min(2, len(runs)), fontsize=8, framealpha=0.9)
    plt.setp(charge.get_xticklabels(), visible=False)

    # Per run: WiFi on the upper half of its row, cellular on the lower
    # half, wakes as ticks on top; the user's time on the phone on top.
    labels, positions = [], []
    for index, run in enumerate(runs):
        timeline = run["timeline"]
        y = rows - 1 - index
        draw_spans(bands, timeline["bands"]["wifi"], y + 0.45, 0.35, WIFI_COLOURS)
        draw_spans(bands, timeline["bands"]["cellular"], y + 0.08, 0.35, CELLULAR_COLOURS)
        wakes = timeline["wakes"]
        bands.vlines([hours(t) for t in wakes["engine"]], y + 0.80, y + 0.98, color="black", linewidth=0.8)
        bands.vlines([hours(t) for t in wakes["apps"]], y + 0.80, y + 0.98, color="#d62728", linewidth=0.8)
        labels.append(run["name"])
        positions.append(y + 0.5)
    draw_spans(bands, runs[0]["timeline"]["bands"]["phone"], rows + 0.1, 0.3, USE_COLOURS)
    labels.append("user")
    positions.append(rows + 0.25)
    bands.set_yticks(positions)
    bands.set_yticklabels(labels, fontsize=9)
    bands.set_ylim(0, rows + 0.5)
    bands.set_xlim(0, duration_h)
    step = 2 if duration_h <= 36 else 24
    bands.set_xticks([h for h in range(0, int(duration_h) + 1, step)])
    bands.set_xlabel("hours from start" if duration_h > 36 else "time of day (hours from start)")
    legend = [Patch(color=c, label="WiFi " + s) for s, c in WIFI_COLOURS.items() if s != "off"]
    legend += [Patch(color=c, label=s) for s, c in CELLULAR_COLOURS.items()]
    legend += [Patch(color=c, label="user: " + s) for s, c in USE_COLOURS.items()]
    legend += [Patch(color="black", label="engine wake"), Patch(color="#d62728", label="app wake")]
    figure.legend(handles=legend, loc="upper center", bbox_to_anchor=(0.5, 0.015), ncol=7, fontsize=8, frameon=False)
    figure.savefig(argv[2], bbox_inches="tight")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
