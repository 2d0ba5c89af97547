# bash completion for tavimo-dl

_tavimo_dl()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    # --root=DIR reaches us as three words: --root, = and DIR.
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    local valued='--playlist --name --cookies --root --jobs --retries --limit-rate --download-archive
        -o --output -a --batch-file --sleep-requests --timeout --config'
    local options='--playlist --name --cookies --root --demo --jobs --retries --limit-rate --list --json
        --tags --download-archive --break-on-existing --no-record --full --check-present -o --output --m3u
        -a --batch-file --sleep-requests --timeout --config --ignore-config -q --quiet --version -h --help'

    case $prev in
    --cookies | --download-archive | -a | --batch-file | --config)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    --root)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -d -- "$cur"))
        return
        ;;
    --playlist | --name | --jobs | --retries | --limit-rate | -o | --output | --sleep-requests | --timeout)
        COMPREPLY=()
        return
        ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # The words before this one that are neither options nor their values.
    local i word option skip= command= arguments=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == = ]]; then
            skip=1
        elif [[ -n $skip ]]; then
            skip=
        elif [[ $word == -* ]]; then
            for option in $valued; do
                [[ $word == "$option" ]] && skip=1
            done
        elif [[ -z $command ]]; then
            command=$word
        else
            ((arguments++))
        fi
    done

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W 'album artist channels channel liked check sync' -- "$cur"))
    elif [[ $command == check || $command == sync ]] && ((arguments == 0)); then
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -d -- "$cur"))
    else
        COMPREPLY=()
    fi
}
complete -F _tavimo_dl tavimo-dl
