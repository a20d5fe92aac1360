#!/usr/bin/env python3
"""Generates the QeCls members from their one declaration (src/facade/qecls.members).

Each line declares one member, in slot order:

    Name(ByVal p As String, Optional ByRef q As Variant = 1) As Long  => Target

Target is Module.Procedure (forwarded to qe::Procedure, declared in the
module's header), m_Field.Method (forwarded to a service object), custom (the
body is written by hand), or - (not built yet: the member raises 445).

Usage: gen_facade.py MEMBERS OUT_DIR [CLASS HEADER STEM NAMESPACE]
(default: QeCls facade/qecls.h qecls qe). Outputs, into OUT_DIR:
  STEM_members.inc   the typed member declarations, included in the class
  STEM_dispatch.cpp  the member table, the late-bound entries and the forwarders
"""
import os
import re
import sys

TYPES = {
    # VB type: (C++ by value, C++ by reference, VarType expression)
    "String": ("vb::String", "vb::String&", "vb::vbString"),
    "Integer": ("int16_t", "int16_t&", "vb::vbInteger"),
    "Long": ("int32_t", "int32_t&", "vb::vbLong"),
    "Boolean": ("bool", "bool&", "vb::vbBoolean"),
    "Byte": ("uint8_t", "uint8_t&", "vb::vbByte"),
    "Single": ("float", "float&", "vb::vbSingle"),
    "Double": ("double", "double&", "vb::vbDouble"),
    "Currency": ("vb::Currency", "vb::Currency&", "vb::vbCurrency"),
    "Date": ("vb::Date", "vb::Date&", "vb::vbDate"),
    "Variant": ("vb::Variant", "vb::Variant&", "vb::vbVariant"),
    "Object": ("vb::ObjectPtr", "vb::ObjectPtr&", "vb::vbObject"),
    "Byte()": ("vb::Array", "vb::Array&", "(vb::vbArray | vb::vbByte)"),
}

LINE = re.compile(r"^(\w+)\((.*)\)\s*(?:As\s+(\S+))?\s*=>\s*(\S+)\s*$")
PARAM = re.compile(r"^(Optional\s+)?(ByVal|ByRef)\s+(\w+)\s+As\s+(\S+?)(?:\s*=\s*(.+))?$")


CPP_KEYWORDS = {"typeid", "class", "new", "delete", "default", "template", "this", "union",
                "register", "operator", "private", "public", "namespace", "friend", "auto"}


def cpp_name(name):
    """A parameter name as a C++ identifier (a keyword gets a trailing "_")."""
    return name + "_" if name in CPP_KEYWORDS else name


def split_params(text):
    parts, depth, cur, quoted = [], 0, "", False
    for ch in text:
        if ch == '"':
            quoted = not quoted
        if ch == "," and not quoted:
            parts.append(cur.strip())
            cur = ""
        else:
            cur += ch
    if cur.strip():
        parts.append(cur.strip())
    return parts


def cpp_string(text):
    out = []
    for ch in text:
        if ch == "\\":
            out.append("\\\\")
        elif ch == '"':
            out.append('\\"')
        elif ch == "\r":
            out.append("\\r")
        elif ch == "\n":
            out.append("\\n")
        else:
            out.append(ch)
    return 'u"' + "".join(out) + '"'


def parse_literal(text):
    """A VB literal as (kind, python value)."""
    t = text.strip()
    if t.startswith('"'):
        pieces = re.findall(r'"((?:[^"]|"")*)"|(vbCrLf|vbCr|vbLf|vbTab)', t)
        value = ""
        for quoted, const in pieces:
            if const:
                value += {"vbCrLf": "\r\n", "vbCr": "\r", "vbLf": "\n", "vbTab": "\t"}[const]
            else:
                value += quoted.replace('""', '"')
        return ("String", value)
    if t in ("vbCrLf", "vbCr", "vbLf", "vbTab"):
        return ("String", {"vbCrLf": "\r\n", "vbCr": "\r", "vbLf": "\n", "vbTab": "\t"}[t])
    dm = re.fullmatch(r"#(\d+)/(\d+)/(\d+)#", t)
    if dm:
        import datetime
        month, day, year = map(int, dm.groups())
        return ("Date", float((datetime.date(year, month, day) - datetime.date(1899, 12, 30)).days))
    if t in ("True", "False"):
        return ("Boolean", t == "True")
    if re.fullmatch(r"-?\d+", t):
        v = int(t)
        return ("Integer" if -32768 <= v <= 32767 else "Long", v)
    if re.fullmatch(r"-?\d*\.\d+(E[+-]?\d+)?", t, re.I):
        return ("Double", float(t))
    raise SystemExit(f"unknown literal: {text}")


def literal_variant(kind, value):
    if kind == "String":
        return f"vb::Variant({cpp_string(value)})"
    if kind == "Boolean":
        return f"vb::Variant({'true' if value else 'false'})"
    if kind == "Date":
        return f"vb::Variant(vb::Date{{{value!r}}})"
    if kind == "Integer":
        return f"vb::Variant(static_cast<int16_t>({value}))"
    if kind == "Long":
        return f"vb::Variant(static_cast<int32_t>({value}))"
    return f"vb::Variant({value!r})"


def literal_cpp(kind, value, vbtype):
    if vbtype == "String":
        return cpp_string(str(value) if kind == "String" else value)
    if vbtype == "Boolean":
        return "true" if value else "false"
    if vbtype in ("Integer", "Long", "Byte", "Single", "Double"):
        if kind == "Boolean":
            return "-1" if value else "0"
        return repr(value)
    if vbtype == "Variant":
        return literal_variant(kind, value)
    if vbtype == "Date" and kind == "Date":
        return f"vb::Date{{{value!r}}}"
    return None


def parse(path):
    members = []
    for number, raw in enumerate(open(path, encoding="utf-8"), 1):
        line = raw.rstrip("\n")
        code = line.split("  #", 1)[0].strip() if "  #" in line else line.strip()
        if not code or code.startswith("#"):
            continue
        m = LINE.match(code)
        if not m:
            raise SystemExit(f"{path}:{number}: cannot read: {line}")
        name, params_text, result, target = m.groups()
        params = []
        for p in split_params(params_text):
            pm = PARAM.match(p)
            if not pm:
                raise SystemExit(f"{path}:{number}: cannot read parameter: {p}")
            optional, mode, pname, ptype, default = pm.groups()
            if ptype not in TYPES:
                raise SystemExit(f"{path}:{number}: unknown type {ptype}")
            params.append({
                "name": pname, "type": ptype, "byref": mode == "ByRef",
                "optional": bool(optional),
                "default": parse_literal(default) if default else None,
            })
        if result and result not in TYPES:
            raise SystemExit(f"{path}:{number}: unknown result type {result}")
        members.append({"name": name, "params": params, "result": result, "target": target})
    return members


def find_header(src_root, file_stem):
    for root, _, files in os.walk(src_root):
        if file_stem + ".h" in files:
            return os.path.relpath(os.path.join(root, file_stem + ".h"), src_root)
    return None


def typed_signature(m, with_defaults):
    ps = []
    # C++ defaults only on the trailing run of by-value parameters with defaults.
    can_default = [False] * len(m["params"])
    for i in range(len(m["params"]) - 1, -1, -1):
        p = m["params"][i]
        if p["optional"] and not p["byref"] and p["default"] is None and p["type"] == "Variant":
            can_default[i] = True
        elif p["optional"] and not p["byref"] and p["default"] is not None and \
                literal_cpp(*p["default"], p["type"]) is not None:
            can_default[i] = True
        else:
            break
    for i, p in enumerate(m["params"]):
        cpp = TYPES[p["type"]][1 if p["byref"] else 0]
        text = f"{cpp} {cpp_name(p['name'])}"
        if with_defaults and can_default[i]:
            text += " = " + (literal_cpp(*p["default"], p["type"]) if p["default"] is not None
                             else "vb::Variant::Missing()")
        ps.append(text)
    result = TYPES[m["result"]][0] if m["result"] else "void"
    return result, ", ".join(ps)


def main():
    members_path, out_dir = sys.argv[1], sys.argv[2]
    cls, header, stem, namespace = (sys.argv[3:7] if len(sys.argv) >= 7
                                    else ("QeCls", "facade/qecls.h", "qecls", "qe"))
    src_root = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "src")
    members = parse(members_path)
    os.makedirs(out_dir, exist_ok=True)

    origin = os.path.basename(members_path)
    inc = [f"// Generated from {origin}: do not edit.\n"]
    for m in members:
        result, sig = typed_signature(m, True)
        inc.append(f"{result} {m['name']}({sig});\n")

    headers = set()
    for m in members:
        t = m["target"]
        if t in ("custom", "-"):
            continue
        owner, _ = t.split(".", 1)
        module_file = owner.lower()
        if owner.startswith("m_"):
            module_file = {"m_md5": "kesra_class_md5", "m_image": "kesra_class_image",
                           "m_access": "kesra_class_access"}[owner.lower()]
        module_header = find_header(src_root, module_file)
        if not module_header:
            raise SystemExit(f"{m['name']}: no header {module_file}.h for {t}")
        headers.add(module_header)

    cpp = [f"// Generated from {origin}: do not edit.\n",
           f'#include "{header}"\n\n#include <unordered_map>\n\n',
           '#include "platform/com/members.h"\n']
    for h in sorted(headers):
        cpp.append(f'#include "{h}"\n')
    cpp.append(f"\nnamespace {namespace} {{\n\n")

    # The forwarders.
    for m in members:
        t = m["target"]
        if t == "custom":
            continue
        result, sig = typed_signature(m, False)
        args = ", ".join(cpp_name(p["name"]) for p in m["params"])
        cpp.append(f"{result} {cls}::{m['name']}({sig}) {{\n")
        if t == "-":
            for p in m["params"]:
                cpp.append(f"  (void){cpp_name(p['name'])};\n")
            cpp.append(f"  vb::Raise(vb::kActionNotSupported, u\"{m['name']} is not available in this build\");\n")
        else:
            owner, proc = t.split(".", 1)
            call = f"{owner}->{proc}({args})" if owner.startswith("m_") else f"qe::{proc}({args})"
            cpp.append(f"  return {call};\n" if m["result"] else f"  {call};\n")
        cpp.append("}\n\n")

    # The member table.
    cpp.append(f"const std::vector<com::MemberInfo>& {cls}::MemberList() {{\n")
    cpp.append("  static const std::vector<com::MemberInfo> list = [] {\n")
    cpp.append("    std::vector<com::MemberInfo> v;\n")
    for slot, m in enumerate(members, 1):
        res = TYPES[m["result"]][2] if m["result"] else "vb::vbEmpty"
        cpp.append(f"    v.push_back({{u\"{m['name']}\", {slot}, {res}, {{\n")
        for p in m["params"]:
            default = literal_variant(*p["default"]) if p["default"] else "vb::Variant()"
            cpp.append(f"        {{u\"{p['name']}\", {TYPES[p['type']][2]}, {str(p['byref']).lower()}, "
                       f"{str(p['optional']).lower()}, {str(p['default'] is not None).lower()}, {default}}},\n")
        cpp.append(f"    }}, {'false' if m['target'] == '-' else 'true'}}});\n")
    cpp.append("    return v;\n  }();\n  return list;\n}\n\n")

    # The late-bound entries.
    cpp.append(f"namespace {{\n\nusing Entry = vb::Variant (*)({cls}&, com::ArgList&, const com::MemberInfo&);\n\n")
    for m in members:
        cpp.append(f"vb::Variant Invoke_{m['name']}({cls}& self, com::ArgList& a, "
                   f"const com::MemberInfo& info) {{\n")
        if not m["params"]:
            cpp.append("  (void)a;\n  (void)info;\n")
        names, writebacks = [], []
        for i, p in enumerate(m["params"]):
            cpp_val = TYPES[p["type"]][0]
            if p["byref"] and p["type"] == "Variant":
                cpp.append(f"  vb::Variant local{i} = info.params[{i}].has_default ? "
                           f"info.params[{i}].default_value : vb::Variant::Missing();\n")
                cpp.append(f"  vb::Variant& p{i} = com::RefArg(a, {i}, local{i});\n")
            else:
                cpp.append(f"  {cpp_val} p{i} = com::FromArg<{cpp_val}>(com::ArgOrDefault(a, {i}, info.params[{i}]));\n")
                if p["byref"]:
                    # Written back only when the member changed it, so a caller's
                    # variable keeps its own type when the member only reads it.
                    cpp.append(f"  const {cpp_val} o{i} = p{i};\n")
                    writebacks.append(f"  if (!a.IsMissing({i}) && !(p{i} == o{i})) a[{i}] = com::ToVariant(p{i});\n")
            names.append(f"p{i}")
        call = f"self.{m['name']}({', '.join(names)})"
        if m["result"]:
            cpp.append(f"  vb::Variant result = com::ToVariant({call});\n")
            cpp.extend(writebacks)
            cpp.append("  return result;\n}\n\n")
        else:
            cpp.append(f"  {call};\n")
            cpp.extend(writebacks)
            cpp.append("  return vb::Variant();\n}\n\n")

    cpp.append("const Entry kEntries[] = {\n")
    for m in members:
        cpp.append(f"    &Invoke_{m['name']},\n")
    cpp.append("};\n\n}  // namespace\n\n")
    cpp.append(f"vb::Variant {cls}::Invoke(vb::StringView name, com::CallType type, com::ArgList& args) {{")
    cpp.append("""
  static const auto index = [] {
    std::unordered_map<vb::String, size_t, vb::NoCaseHash, vb::NoCaseEqual> map;
    const auto& list = MemberList();
    for (size_t i = 0; i < list.size(); ++i) map.emplace(list[i].name, i);
    return map;
  }();
  auto it = index.find(vb::String(name));
  if (it == index.end()) vb::Raise(vb::kMemberNotSupported);
  if (type != com::CallType::Get) vb::Raise(vb::kWrongArgumentCount);
  const com::MemberInfo& info = MemberList()[it->second];
  com::CheckArguments(info, args);
  return kEntries[it->second](*this, args, info);
}

}  // namespace """ + namespace + "\n")

    def write_if_changed(path, text):
        if os.path.exists(path) and open(path, encoding="utf-8").read() == text:
            return
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)

    write_if_changed(os.path.join(out_dir, f"{stem}_members.inc"), "".join(inc))
    write_if_changed(os.path.join(out_dir, f"{stem}_dispatch.cpp"), "".join(cpp))


if __name__ == "__main__":
    main()
