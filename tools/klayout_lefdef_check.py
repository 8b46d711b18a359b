# Reads a LEF library and a DEF design together with KLayout's LEF/DEF reader and
# prints what the design holds, one "label: value" line each.
#
# usage: klayout -b -r tools/klayout_lefdef_check.py -rd lef=LIB.lef -rd def=DESIGN.def
#        (QT_QPA_PLATFORM=offscreen on a machine without a display)
#
# From KLayout's layout: components (instances of the top cell), masters (cells
# other than the top), master pins (pin labels of the masters) and the die area
# (the top cell's outline box, DEF units). KLayout parses the ROW and NETS sections
# but keeps neither rows nor unrouted nets, so rows, nets and net pins are counted
# from the DEF text that KLayout has just accepted, and every net pin is looked up
# in KLayout's layout: "unresolved pins" counts the pins whose component is not an
# instance there or whose pin is not a pin of that instance's master.
# Exit status: 0 read, 1 KLayout refused the files or an argument is missing.

import os
import re
import sys

import pya


def fail(message):
    print("klayout_lefdef_check: " + message)
    sys.stdout.flush()
    os._exit(1)  # KLayout's batch mode ignores SystemExit


try:
    lef_path = lef  # noqa: F821 (set with -rd)
    def_path = globals()["def"]
except (NameError, KeyError):
    fail("needs -rd lef=FILE.lef -rd def=FILE.def")

OUTLINE = "OUTLINE (1000/0)"
NAME_PROPERTY = 1

options = pya.LoadLayoutOptions()
cfg = options.lefdef_config
cfg.read_lef_with_def = False
cfg.paths_relative_to_cwd = True
cfg.lef_files = [lef_path]
cfg.produce_cell_outlines = True
cfg.cell_outline_layer = OUTLINE
cfg.instance_property_name = NAME_PROPERTY
cfg.produce_lef_pins = True
cfg.produce_lef_labels = True

layout = pya.Layout()
try:
    layout.read(def_path, options)
except Exception as e:  # KLayout reports syntax errors and unknown masters this way
    fail("KLayout refused the files: " + str(e))

tops = layout.top_cells()
if len(tops) != 1:
    fail("expected one top cell, found %d" % len(tops))
top = tops[0]

# Pins of every master: the texts on its label layers.
label_layers = [li for li in layout.layer_indexes() if layout.get_info(li).name.endswith(".LABEL")]
master_pins = {}
for cell in layout.each_cell():
    if cell.cell_index() == top.cell_index():
        continue
    names = set()
    for li in label_layers:
        for s in cell.shapes(li).each():
            if s.is_text():
                names.add(s.text_string)
    master_pins[cell.name] = names

components = {}
for inst in top.each_inst():
    components[str(inst.property(NAME_PROPERTY))] = inst.cell.name

die = None
outline = layout.find_layer(pya.LayerInfo(1000, 0))
if outline is not None:
    for s in top.shapes(outline).each():
        die = s.bbox() if die is None else die + s.bbox()

# Rows, nets and net pins from the DEF text.
rows = 0
nets = 0
net_pins = 0
unresolved = 0
in_nets = False
pin_re = re.compile(r"\(\s*(\S+)\s+(\S+)\s*\)")
with open(def_path) as f:
    for line in f:
        words = line.split()
        if not words:
            continue
        if words[0] == "ROW":
            rows += 1
        elif words[0] == "NETS":
            in_nets = True
        elif words[0] == "END" and len(words) > 1 and words[1] == "NETS":
            in_nets = False
        elif in_nets:
            if words[0] == "-":
                nets += 1
            for comp, pin in pin_re.findall(line):
                net_pins += 1
                master = components.get(comp)
                if master is None or pin not in master_pins.get(master, ()):
                    unresolved += 1

print("components: %d" % len(components))
print("masters: %d" % len(master_pins))
print("master pins: %d" % sum(len(p) for p in master_pins.values()))
print("rows: %d" % rows)
print("nets: %d" % nets)
print("net pins: %d" % net_pins)
print("unresolved pins: %d" % unresolved)
if die is not None:
    print("die llx: %d" % die.left)
    print("die lly: %d" % die.bottom)
    print("die urx: %d" % die.right)
    print("die ury: %d" % die.top)
print("layout dbu nm: %d" % round(layout.dbu * 1000000))
