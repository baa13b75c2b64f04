# bash completion for quillbank-cli
_quillbank_cli()
{
    local cur prev words cword
    _init_completion || return

    local commands="list show search check export import"
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case "${words[i]}" in
            --library) ((i++)) ;;
            -*) ;;
            *) command="${words[i]}"; break ;;
        esac
    done

    case "$prev" in
        --library)
            _filedir -d
            return ;;
        --category)
            local IFS=$'\n'
            COMPREPLY=($(compgen -W $'运算子程序\n通讯子程序\n扩展接口程序\n中断服务子程序\n代码转换\n逻辑操作\n数据结构\n其他' -- "$cur"))
            return ;;
        --field)
            COMPREPLY=($(compgen -W "name category comments declarations code" -- "$cur"))
            return ;;
        --format)
            COMPREPLY=($(compgen -W "text json" -- "$cur"))
            return ;;
    esac

    local options="--library --help"
    case "$command" in
        "")
            COMPREPLY=($(compgen -W "$commands --library --help --version" -- "$cur"))
            return ;;
        list) options+=" --category --json" ;;
        show) options+=" --field --json" ;;
        search) options+=" --case --regex --json" ;;
        check) options+=" --json" ;;
        export) options+=" --format --force" ;;
        import) options+=" --category --format --replace --cut --json" ;;
    esac
    if [[ "$cur" == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case "$command" in
        show)
            # The names of the codes, from the library in use.
            local library=() IFS=$'\n'
            for ((i = 1; i < cword; i++)); do
                [[ "${words[i]}" == --library ]] && library=(--library "${words[i + 1]}")
            done
            COMPREPLY=($(compgen -W "$("${words[0]}" list "${library[@]}" 2>/dev/null | cut -f1)" -- "$cur"))
            ;;
        export | import) _filedir ;;
    esac
}
complete -F _quillbank_cli quillbank-cli
